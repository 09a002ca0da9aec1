// ScopedSeam: sets a test seam (a hook or a switch that tests and tools replace) for one
// scope and puts back what was there before, also when a test fails half-way. `Exchange`
// is the seam's setter, which stores the new value and returns the one it replaces.
//
//   host::ScopedSeam<&host::setMsgBoxHandler> messages([&](const QString &t) { seen << t; });
#pragma once

#include <utility>

namespace host {

namespace detail {
template <typename F>
struct SeamSetter;
template <typename R, typename A>
struct SeamSetter<R (*)(A)>
{
    using Value = R;
};
} // namespace detail

template <auto Exchange>
class ScopedSeam
{
public:
    using Value = typename detail::SeamSetter<decltype(Exchange)>::Value;

    explicit ScopedSeam(Value value) : m_previous(Exchange(std::move(value))) {}
    ~ScopedSeam() { Exchange(std::move(m_previous)); }
    ScopedSeam(const ScopedSeam &) = delete;
    ScopedSeam &operator=(const ScopedSeam &) = delete;

private:
    Value m_previous;
};

} // namespace host
