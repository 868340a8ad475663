#include "dispatch.h"

namespace automation {

Dispatch::~Dispatch() = default;

std::optional<int> Dispatch::idOfName(const QString& name) const {
    for (const MemberInfo& member : members())
        if (member.name.compare(name, Qt::CaseInsensitive) == 0)
            return member.dispatchId;
    return std::nullopt;
}

Variant Dispatch::call(const QString& name, Arguments& args) {
    const auto id = idOfName(name);
    if (!id)
        raiseMemberNotFound();
    return invoke(*id, InvokeKind::Method, args);
}

Variant Dispatch::call(const QString& name) {
    Arguments none;
    return call(name, none);
}

void Dispatch::put(const QString& name, const Variant& value) {
    const auto id = idOfName(name);
    if (!id)
        raiseMemberNotFound();
    Arguments args{value};
    invoke(*id, InvokeKind::PropertyPut, args);
}

void Dispatch::raiseMemberNotFound() const {
    throw AutomationError::standard(MemberNotFound, className());
}

Variant& argumentAt(Arguments& args, std::size_t index) {
    if (index >= args.size())
        throw AutomationError::standard(ArgumentNotOptional);
    return args[index];
}

} // namespace automation
