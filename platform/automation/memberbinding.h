#pragma once
// Binds a typed member function to a dispatch table entry: arguments are converted from Variants
// to the parameter types with the system's conversions, and the result back to a Variant, so that
// a public class's table lists its members without hand-written conversions.

#include "dispatch.h"

#include <type_traits>
#include <utility>

namespace automation {

template <typename V> V fromVariant(const Variant& value) {
    if constexpr (std::is_same_v<V, bool>)
        return value.toBool();
    else if constexpr (std::is_same_v<V, std::int16_t>)
        return value.toInteger();
    else if constexpr (std::is_same_v<V, std::int32_t>)
        return value.toLong();
    else if constexpr (std::is_same_v<V, float>)
        return value.toSingle();
    else if constexpr (std::is_same_v<V, double>)
        return value.toDouble();
    else if constexpr (std::is_same_v<V, QString>)
        return value.toString();
    else if constexpr (std::is_same_v<V, Variant>)
        return value;
    else
        static_assert(sizeof(V) == 0, "no conversion from a Variant to this parameter type");
}

namespace detail {

template <typename R, typename... A> struct Binder {
    template <class T, typename Member> static Variant call(T& self, Member member, Arguments& args) {
        return callWith(self, member, args, std::index_sequence_for<A...>{});
    }

    template <class T, typename Member, std::size_t... I>
    static Variant callWith(T& self, Member member, Arguments& args, std::index_sequence<I...>) {
        if constexpr (std::is_void_v<R>) {
            (self.*member)(fromVariant<std::decay_t<A>>(argumentAt(args, I))...);
            return Variant();
        } else {
            return Variant((self.*member)(fromVariant<std::decay_t<A>>(argumentAt(args, I))...));
        }
    }
};

} // namespace detail

// A handler that calls `member` with the call's arguments converted to its parameter types.
template <class T, typename R, typename... A>
typename DispatchTable<T>::Handler bindMember(R (T::*member)(A...)) {
    return [member](T& self, Arguments& args) { return detail::Binder<R, A...>::call(self, member, args); };
}

template <class T, typename R, typename... A>
typename DispatchTable<T>::Handler bindMember(R (T::*member)(A...) const) {
    return [member](T& self, Arguments& args) { return detail::Binder<R, A...>::call(self, member, args); };
}

// The same for a dispatch face: `member` is called on the plain object that `face.engine()` returns.
template <class Face, class E, typename R, typename... A>
typename DispatchTable<Face>::Handler bindEngineMember(R (E::*member)(A...)) {
    return [member](Face& face, Arguments& args) {
        return detail::Binder<R, A...>::call(face.engine(), member, args);
    };
}

template <class Face, class E, typename R, typename... A>
typename DispatchTable<Face>::Handler bindEngineMember(R (E::*member)(A...) const) {
    return [member](Face& face, Arguments& args) {
        return detail::Binder<R, A...>::call(face.engine(), member, args);
    };
}

} // namespace automation
