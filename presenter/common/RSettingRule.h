#pragma once

#include <QRegularExpression>
#include <QString>
#include <QVariant>
#include <QVariantList>

// What one settings key may hold and what it reads as when the stored value
// is absent or bad. Reading never writes back: the recorder shares the store
// and must not change it, and a folder missing today may be back tomorrow.
class RSettingRule
{
public:
    enum class Kind { BoundedInt, Folder, OneOf, Flag, Text, Colour };

    // A whole number; one outside [min, max] reads as the nearer bound, a
    // non-number as the fallback.
    static RSettingRule boundedInt(int min, int max, int fallback);
    // An absolute path of an existing folder, else the empty string (which
    // the readers take as "the default folder").
    static RSettingRule folder();
    // One of `allowed` (text compares without case), else the fallback.
    static RSettingRule oneOf(const QVariantList &allowed, const QVariant &fallback);
    // On when stored as 1 or true (both spellings are in use), off for
    // anything else; absent reads as `fallback`.
    static RSettingRule flag(bool fallback = false);
    // Text of at most `maxLength` characters, matching `pattern` when one is
    // given; anything else (a list, a longer text) reads as the fallback.
    static RSettingRule text(const QString &fallback, int maxLength, const QString &pattern = QString());
    // A valid colour, else the fallback.
    static RSettingRule colour(const QVariant &fallback);

    Kind kind() const { return m_kind; }
    QVariant fallback() const { return m_fallback; }
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }

    // The value a reader gets for `stored` (invalid when absent).
    QVariant mend(const QVariant &stored) const;

private:
    RSettingRule(Kind kind, const QVariant &fallback)
        : m_kind(kind)
        , m_fallback(fallback)
    {
    }

    Kind m_kind;
    QVariant m_fallback;
    int m_min = 0;
    int m_max = 0;
    QVariantList m_allowed;
    QRegularExpression m_pattern;
};
