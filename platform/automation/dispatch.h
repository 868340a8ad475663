#pragma once
// Late-bound calls: every public object publishes its members in interface slot order with a
// dispatch id each, and callers reach them by id or by name (compared without regard to case).
// Arguments travel by reference, so a member may write results into them.

#include "automationerror.h"
#include "platform_export.h"
#include "variant.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace automation {

using Arguments = std::vector<Variant>;

enum class InvokeKind { Method, PropertyGet, PropertyPut };

struct MemberInfo {
    QString name;
    int dispatchId;
    InvokeKind kind;
};

class PLATFORM_EXPORT Dispatch : public std::enable_shared_from_this<Dispatch> {
public:
    virtual ~Dispatch();

    // The class name callers know the object by, e.g. "ProcessClass".
    virtual QString className() const = 0;
    // The members in interface slot order.
    virtual const std::vector<MemberInfo>& members() const = 0;
    // Runs the member with this id; raises 438 when the object has no such member.
    virtual Variant invoke(int dispatchId, InvokeKind kind, Arguments& args) = 0;

    // The dispatch id of a member name, or nothing when the object has no such member.
    std::optional<int> idOfName(const QString& name) const;
    // Calls a method or reads a property by name; raises 438 for an unknown name.
    Variant call(const QString& name, Arguments& args);
    Variant call(const QString& name);
    // Writes a property by name.
    void put(const QString& name, const Variant& value);

protected:
    [[noreturn]] void raiseMemberNotFound() const;
};

// The argument at a position; raises "Argument not optional" (449) when the caller passed fewer.
PLATFORM_EXPORT Variant& argumentAt(Arguments& args, std::size_t index);

// The members of one class with their handlers, built once per class in slot order. A member's
// dispatch id is its slot number from 1 unless the table gives one; a property's get and put
// share one id.
template <class T> class DispatchTable {
public:
    using Handler = std::function<Variant(T&, Arguments&)>;

    DispatchTable& method(const QString& name, Handler handler, std::optional<int> id = {}) {
        return add(name, InvokeKind::Method, std::move(handler), id);
    }
    DispatchTable& propertyGet(const QString& name, Handler handler, std::optional<int> id = {}) {
        return add(name, InvokeKind::PropertyGet, std::move(handler), id);
    }
    DispatchTable& propertyPut(const QString& name, Handler handler, std::optional<int> id = {}) {
        return add(name, InvokeKind::PropertyPut, std::move(handler), id);
    }

    const std::vector<MemberInfo>& members() const { return m_members; }

    // Runs the handler of (id, kind); a method call may also read a property, as callers that
    // do not know the member's kind call by name.
    std::optional<Variant> invoke(T& object, int dispatchId, InvokeKind kind, Arguments& args) const {
        for (std::size_t i = 0; i < m_members.size(); ++i) {
            const MemberInfo& member = m_members[i];
            if (member.dispatchId != dispatchId)
                continue;
            const bool readsProperty = kind == InvokeKind::Method && member.kind == InvokeKind::PropertyGet;
            if (member.kind == kind || readsProperty)
                return m_handlers[i](object, args);
        }
        return std::nullopt;
    }

private:
    DispatchTable& add(const QString& name, InvokeKind kind, Handler handler, std::optional<int> id) {
        int dispatchId = id.value_or(0);
        if (!id) {
            dispatchId = nextSlot();
            for (const MemberInfo& member : m_members)
                if (member.name.compare(name, Qt::CaseInsensitive) == 0)
                    dispatchId = member.dispatchId;
        }
        m_members.push_back({name, dispatchId, kind});
        m_handlers.push_back(std::move(handler));
        return *this;
    }

    int nextSlot() const {
        int highest = 0;
        for (const MemberInfo& member : m_members)
            highest = std::max(highest, member.dispatchId);
        return highest + 1;
    }

    std::vector<MemberInfo> m_members;
    std::vector<Handler> m_handlers;
};

// Base for a plain C++ class that publishes itself through a static dispatch table:
// `static const DispatchTable<T>& dispatchTable();` and `static QString staticClassName();`.
template <class T> class DispatchObject : public Dispatch {
public:
    QString className() const override { return T::staticClassName(); }
    const std::vector<MemberInfo>& members() const override { return T::dispatchTable().members(); }
    Variant invoke(int dispatchId, InvokeKind kind, Arguments& args) override {
        if (auto result = T::dispatchTable().invoke(static_cast<T&>(*this), dispatchId, kind, args))
            return *result;
        raiseMemberNotFound();
    }
};

} // namespace automation
