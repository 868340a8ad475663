#include "hostapplicationface.h"

#include "hostapplication.h"

#include "automation/classregistry.h"
#include "kestrum/automation/centroidablespectrumface.h"
#include "kestrum/automation/creatableclasses.h"
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

class SelectionRangeFace : public automation::DispatchObject<SelectionRangeFace> {
public:
    static QString staticClassName() { return QStringLiteral("SelectionRange"); }
    static const automation::DispatchTable<SelectionRangeFace>& dispatchTable() {
        using S = SelectionRangeFace;
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
    explicit SelectionRangeFace(SelectionRange range) : m_range(range) {}

private:
    SelectionRange m_range;
};

class SelectionListFace : public automation::DispatchObject<SelectionListFace> {
public:
    static QString staticClassName() { return QStringLiteral("SelectionList"); }
    static const automation::DispatchTable<SelectionListFace>& dispatchTable() {
        using S = SelectionListFace;
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
                            std::make_shared<SelectionRangeFace>(self.ranges()[std::size_t(index - 1)]));
                    },
                    7);
        return table;
    }
    explicit SelectionListFace(std::shared_ptr<GraphWindow> window) : m_window(std::move(window)) {}
    const std::vector<SelectionRange>& ranges() const { return m_window->selections; }

private:
    std::shared_ptr<GraphWindow> m_window;
};

class GraphPaneFace : public automation::DispatchObject<GraphPaneFace> {
public:
    static QString staticClassName() { return QStringLiteral("GraphPane"); }
    static const automation::DispatchTable<GraphPaneFace>& dispatchTable() {
        using P = GraphPaneFace;
        static const auto table =
            automation::DispatchTable<P>()
                .propertyGet(
                    QStringLiteral("SpectrumData"),
                    [](P& self, Arguments&) {
                        return self.m_pane.trace ? objectValue(std::make_shared<CentroidableSpectrumFace>(
                                                       self.m_pane.trace))
                                                 : objectValue(nullptr);
                    },
                    5)
                .propertyGet(
                    QStringLiteral("CentroidThreshold"),
                    [](P& self, Arguments&) { return Variant(self.m_pane.centroidThreshold); }, 9);
        return table;
    }
    explicit GraphPaneFace(GraphPane pane) : m_pane(std::move(pane)) {}

private:
    GraphPane m_pane;
};

class PaneListFace : public automation::DispatchObject<PaneListFace> {
public:
    static QString staticClassName() { return QStringLiteral("PaneList"); }
    static const automation::DispatchTable<PaneListFace>& dispatchTable() {
        using P = PaneListFace;
        static const auto table =
            automation::DispatchTable<P>()
                .method(
                    QStringLiteral("Item"),
                    [](P& self, Arguments& args) {
                        const std::int32_t index = argumentAt(args, 0).toLong();
                        const auto& panes = self.m_window->panes;
                        if (index < 1 || index > static_cast<std::int32_t>(panes.size()))
                            throw automation::AutomationError::standard(automation::SubscriptOutOfRange);
                        return objectValue(std::make_shared<GraphPaneFace>(panes[std::size_t(index - 1)]));
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
    explicit PaneListFace(std::shared_ptr<GraphWindow> window) : m_window(std::move(window)) {}

private:
    std::shared_ptr<GraphWindow> m_window;
};

class GraphWindowFace : public automation::DispatchObject<GraphWindowFace> {
public:
    static QString staticClassName() { return QStringLiteral("GraphWindow"); }
    static const automation::DispatchTable<GraphWindowFace>& dispatchTable() {
        using W = GraphWindowFace;
        static const auto table =
            automation::DispatchTable<W>()
                .propertyGet(
                    QStringLiteral("PaneList"),
                    [](W& self, Arguments&) {
                        return objectValue(std::make_shared<PaneListFace>(self.m_window));
                    },
                    2)
                .propertyGet(
                    QStringLiteral("SelectionList"),
                    [](W& self, Arguments&) {
                        return objectValue(std::make_shared<SelectionListFace>(self.m_window));
                    },
                    3);
        return table;
    }
    explicit GraphWindowFace(std::shared_ptr<GraphWindow> window) : m_window(std::move(window)) {}

private:
    std::shared_ptr<GraphWindow> m_window;
};

class HostApplicationFace : public automation::DispatchObject<HostApplicationFace> {
public:
    static QString staticClassName() { return QStringLiteral("HostApplication"); }
    static const automation::DispatchTable<HostApplicationFace>& dispatchTable() {
        static const auto table =
            automation::DispatchTable<HostApplicationFace>()
                .propertyGet(
                    QStringLiteral("ActiveGraphWindow"),
                    [](HostApplicationFace&, Arguments&) {
                        auto window = HostApplication::instance().activeGraphWindow();
                        return window ? objectValue(std::make_shared<GraphWindowFace>(std::move(window)))
                                      : objectValue(nullptr);
                    },
                    1)
                .method(
                    QStringLiteral("StatusMessage"),
                    [](HostApplicationFace&, Arguments& args) {
                        HostApplication::instance().showStatusMessage(argumentAt(args, 0).toString());
                        return Variant();
                    },
                    2);
        return table;
    }
};

} // namespace

void registerHostClasses() {
    automation::ClassRegistry::instance().registerClass(
        hostApplicationProgrammaticId, [] { return std::make_shared<HostApplicationFace>(); });
    kestrumautomation::registerCreatableClasses();
}

} // namespace host
