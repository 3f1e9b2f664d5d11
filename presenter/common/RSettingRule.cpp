#include "RSettingRule.h"

#include <QColor>
#include <QFileInfo>

namespace {

// A hand-edited list ("a, b") reads back as a list: no setting holds one.
bool isSingle(const QVariant &stored)
{
    return stored.isValid() && stored.userType() != QMetaType::QStringList
           && stored.userType() != QMetaType::QVariantList;
}

} // namespace

RSettingRule RSettingRule::boundedInt(int min, int max, int fallback)
{
    RSettingRule rule(Kind::BoundedInt, fallback);
    rule.m_min = min;
    rule.m_max = max;
    return rule;
}

RSettingRule RSettingRule::folder()
{
    return RSettingRule(Kind::Folder, QString());
}

RSettingRule RSettingRule::oneOf(const QVariantList &allowed, const QVariant &fallback)
{
    RSettingRule rule(Kind::OneOf, fallback);
    rule.m_allowed = allowed;
    return rule;
}

RSettingRule RSettingRule::flag(bool fallback)
{
    return RSettingRule(Kind::Flag, fallback);
}

RSettingRule RSettingRule::text(const QString &fallback, int maxLength, const QString &pattern)
{
    RSettingRule rule(Kind::Text, fallback);
    rule.m_max = maxLength;
    if (!pattern.isEmpty())
        rule.m_pattern = QRegularExpression(QRegularExpression::anchoredPattern(pattern));
    return rule;
}

RSettingRule RSettingRule::colour(const QVariant &fallback)
{
    return RSettingRule(Kind::Colour, fallback);
}

QVariant RSettingRule::mend(const QVariant &stored) const
{
    if (!isSingle(stored))
        return m_fallback;
    const QString text = stored.toString().trimmed();
    switch (m_kind) {
    case Kind::BoundedInt: {
        // Digits too many for a number still say which end they lie beyond.
        static const QRegularExpression digits(QStringLiteral("^[+-]?[0-9]+$"));
        if (!digits.match(text).hasMatch())
            return m_fallback;
        bool ok = false;
        const qlonglong n = text.toLongLong(&ok);
        if (!ok)
            return text.startsWith(QLatin1Char('-')) ? m_min : m_max;
        return int(qBound<qlonglong>(m_min, n, m_max));
    }
    case Kind::Folder: {
        const QString path = stored.toString();
        const QFileInfo info(path);
        return !path.isEmpty() && info.isAbsolute() && info.isDir() ? path : QString();
    }
    case Kind::OneOf:
        for (const QVariant &allowed : m_allowed) {
            if (allowed.toString().compare(text, Qt::CaseInsensitive) == 0)
                return allowed;
        }
        return m_fallback;
    case Kind::Flag:
        return text == QLatin1String("1") || text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    case Kind::Text: {
        const QString value = stored.toString();
        if (value.size() > m_max || (!m_pattern.pattern().isEmpty() && !m_pattern.match(value).hasMatch()))
            return m_fallback;
        return value;
    }
    case Kind::Colour: {
        // A name is checked first: converting a bad one warns with its whole text.
        if (stored.userType() == QMetaType::QString)
            return QColor::isValidColor(text) ? QVariant(QColor(text)) : m_fallback;
        const QColor colour = stored.value<QColor>();
        return colour.isValid() ? QVariant(colour) : m_fallback;
    }
    }
    return m_fallback;
}
