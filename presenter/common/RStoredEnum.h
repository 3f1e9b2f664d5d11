#pragma once

#include <QVariant>
#include <optional>

// Modes that files keep as integers. Each such enum names its range with a
// specialisation of RStoredRange (its values run without gaps from first to
// last), so an integer read back from a file or a list index becomes the
// enum only when it names one.
template <typename E>
struct RStoredRange;

// The usual way to name a range: template <> struct RStoredRange<E> : RStoredSpan<0, 2> {};
template <int First, int Last>
struct RStoredSpan
{
    static constexpr int first = First;
    static constexpr int last = Last;
};

template <typename E>
constexpr std::optional<E> enumFromStored(int value)
{
    if (value < RStoredRange<E>::first || value > RStoredRange<E>::last)
        return std::nullopt;
    return static_cast<E>(value);
}

// A stored text that is not a whole number names nothing ("1.5", "abc", empty).
template <typename E>
std::optional<E> enumFromStored(const QVariant &value)
{
    bool ok = false;
    const int n = value.toString().trimmed().toInt(&ok);
    return ok ? enumFromStored<E>(n) : std::nullopt;
}

template <typename E>
constexpr int enumToStored(E value)
{
    return static_cast<int>(value);
}
