#pragma once
// The outcome of an operation that can fail: its value, or why it failed. The caller decides
// what a failure means (a message, a retry, the end of the program); the operation only says.
#include <utility>
#include <variant>

namespace station {

template <class E>
struct Failure {
    E reason;
};

template <class E>
Failure<E> failure(E reason) {
    return {reason};
}

template <class T, class E>
class [[nodiscard]] Result {
public:
    Result(T value) : outcome_(std::in_place_index<0>, std::move(value)) {}
    Result(Failure<E> failed) : outcome_(std::in_place_index<1>, failed.reason) {}

    bool ok() const { return outcome_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& operator*() { return std::get<0>(outcome_); }
    const T& operator*() const { return std::get<0>(outcome_); }
    T* operator->() { return &std::get<0>(outcome_); }
    const T* operator->() const { return &std::get<0>(outcome_); }
    E error() const { return std::get<1>(outcome_); }

private:
    std::variant<T, E> outcome_;
};

}  // namespace station
