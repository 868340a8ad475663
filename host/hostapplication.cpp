#include "hostapplication.h"

#include "automation/classregistry.h"
#include "kestrum/automation/creatableclasses.h"
#include "kestrum/automation/hostspectrum.h"
#include "kestrum/centroidablespectrum.h"

namespace host {

using automation::argumentAt;
using automation::Arguments;
using automation::Variant;

namespace {

// The late-bound faces scripts walk, by the dispatch ids they use: application 1 -> active graph
// window; window 2 -> panes, 3 -> selections; panes 12 -> count, 9 -> pane by index from 1; pane
// 5 -> trace, 9 -> centroiding threshold; selections 1 -> count, 7 -> range by index from 1;
// range 1 -> start, 2 -> end, 3 -> switched off. Application 2 ("StatusMessage", one text) puts
// the text on the host's status line.

Variant objectValue(std::shared_ptr<automation::Dispatch> object) {
    return Variant(std::move(object));
}

class SelectionRangeObject : public automation::DispatchObject<SelectionRangeObject> {
public:
    static QString staticClassName() { return QStringLiteral("SelectionRange"); }
    static const automation::DispatchTable<SelectionRangeObject>& dispatchTable() {
        using S = SelectionRangeObject;
        static const auto table =
            automation::DispatchTable<S>()
                .propertyGet(
                    QStringLiteral("Start"), [](S& self, Arguments&) { return Variant(self.m_range.start); },
                    1)
                .propertyGet(
                    QStringLiteral("End"), [](S& self, Arguments&) { return Variant(self.m_range.end); }, 2)
                .propertyGet(
                    QStringLiteral("Disabled"),
                    [](S& self, Arguments&) { return Variant(self.m_range.disabled); }, 3);
        return table;
    }
    explicit SelectionRangeObject(SelectionRange range) : m_range(range) {}

private:
    SelectionRange m_range;
};

class SelectionListObject : public automation::DispatchObject<SelectionListObject> {
public:
    static QString staticClassName() { return QStringLiteral("SelectionList"); }
    static const automation::DispatchTable<SelectionListObject>& dispatchTable() {
        using S = SelectionListObject;
        static const auto table =
            automation::DispatchTable<S>()
                .propertyGet(
                    QStringLiteral("Count"),
                    [](S& self, Arguments&) {
                        return Variant(static_cast<std::int32_t>(self.ranges().size()));
                    },
                    1)
                // A range that does not exist is nothing rather than an error: callers skip it.
                .method(
                    QStringLiteral("Item"),
                    [](S& self, Arguments& args) {
                        const std::int32_t index = argumentAt(args, 0).toLong();
                        if (index < 1 || index > static_cast<std::int32_t>(self.ranges().size()))
                            return objectValue(nullptr);
                        return objectValue(
                            std::make_shared<SelectionRangeObject>(self.ranges()[std::size_t(index - 1)]));
                    },
                    7);
        return table;
    }
    explicit SelectionListObject(std::shared_ptr<GraphWindow> window) : m_window(std::move(window)) {}
    const std::vector<SelectionRange>& ranges() const { return m_window->selections; }

private:
    std::shared_ptr<GraphWindow> m_window;
};

class GraphPaneObject : public automation::DispatchObject<GraphPaneObject> {
public:
    static QString staticClassName() { return QStringLiteral("GraphPane"); }
    static const automation::DispatchTable<GraphPaneObject>& dispatchTable() {
        using P = GraphPaneObject;
        static const auto table =
            automation::DispatchTable<P>()
                .propertyGet(
                    QStringLiteral("SpectrumData"),
                    [](P& self, Arguments&) {
                        return self.m_pane.trace
                                   ? objectValue(std::make_shared<HostSpectrum>(self.m_pane.trace))
                                   : objectValue(nullptr);
                    },
                    5)
                .propertyGet(
                    QStringLiteral("CentroidThreshold"),
                    [](P& self, Arguments&) { return Variant(self.m_pane.centroidThreshold); }, 9);
        return table;
    }
    explicit GraphPaneObject(GraphPane pane) : m_pane(std::move(pane)) {}

private:
    GraphPane m_pane;
};

class PaneListObject : public automation::DispatchObject<PaneListObject> {
public:
    static QString staticClassName() { return QStringLiteral("PaneList"); }
    static const automation::DispatchTable<PaneListObject>& dispatchTable() {
        using P = PaneListObject;
        static const auto table =
            automation::DispatchTable<P>()
                .method(
                    QStringLiteral("Item"),
                    [](P& self, Arguments& args) {
                        const std::int32_t index = argumentAt(args, 0).toLong();
                        const auto& panes = self.m_window->panes;
                        if (index < 1 || index > static_cast<std::int32_t>(panes.size()))
                            throw automation::AutomationError::standard(automation::SubscriptOutOfRange);
                        return objectValue(std::make_shared<GraphPaneObject>(panes[std::size_t(index - 1)]));
                    },
                    9)
                .propertyGet(
                    QStringLiteral("Count"),
                    [](P& self, Arguments&) {
                        return Variant(static_cast<std::int32_t>(self.m_window->panes.size()));
                    },
                    12);
        return table;
    }
    explicit PaneListObject(std::shared_ptr<GraphWindow> window) : m_window(std::move(window)) {}

private:
    std::shared_ptr<GraphWindow> m_window;
};

class GraphWindowObject : public automation::DispatchObject<GraphWindowObject> {
public:
    static QString staticClassName() { return QStringLiteral("GraphWindow"); }
    static const automation::DispatchTable<GraphWindowObject>& dispatchTable() {
        using W = GraphWindowObject;
        static const auto table =
            automation::DispatchTable<W>()
                .propertyGet(
                    QStringLiteral("PaneList"),
                    [](W& self, Arguments&) {
                        return objectValue(std::make_shared<PaneListObject>(self.m_window));
                    },
                    2)
                .propertyGet(
                    QStringLiteral("SelectionList"),
                    [](W& self, Arguments&) {
                        return objectValue(std::make_shared<SelectionListObject>(self.m_window));
                    },
                    3);
        return table;
    }
    explicit GraphWindowObject(std::shared_ptr<GraphWindow> window) : m_window(std::move(window)) {}

private:
    std::shared_ptr<GraphWindow> m_window;
};

class HostApplicationObject : public automation::DispatchObject<HostApplicationObject> {
public:
    static QString staticClassName() { return QStringLiteral("HostApplication"); }
    static const automation::DispatchTable<HostApplicationObject>& dispatchTable() {
        static const auto table =
            automation::DispatchTable<HostApplicationObject>()
                .propertyGet(
                    QStringLiteral("ActiveGraphWindow"),
                    [](HostApplicationObject&, Arguments&) {
                        auto window = HostApplication::instance().activeGraphWindow();
                        return window ? objectValue(std::make_shared<GraphWindowObject>(std::move(window)))
                                      : objectValue(nullptr);
                    },
                    1)
                .method(
                    QStringLiteral("StatusMessage"),
                    [](HostApplicationObject&, Arguments& args) {
                        HostApplication::instance().showStatusMessage(argumentAt(args, 0).toString());
                        return Variant();
                    },
                    2);
        return table;
    }
};

} // namespace

HostApplication& HostApplication::instance() {
    static HostApplication application;
    return application;
}

void registerHostClasses() {
    automation::ClassRegistry::instance().registerClass(
        hostApplicationProgrammaticId, [] { return std::make_shared<HostApplicationObject>(); });
    kestrumautomation::registerCreatableClasses();
}

} // namespace host
