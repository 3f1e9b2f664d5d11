#include "VShareKey.h"

#include <QRandomGenerator>

namespace {
const char kAlphabet[] = "23456789ABCDEFGHJKLMNPQRSTUVWXYZ";
constexpr int kLength = 13; // 13 x 5 bits
} // namespace

QString VShareKey::generate()
{
    QString key;
    key.reserve(kLength);
    QRandomGenerator *random = QRandomGenerator::system();
    for (int i = 0; i < kLength; ++i)
        key.append(QLatin1Char(kAlphabet[random->bounded(32)]));
    return key;
}

bool VShareKey::matches(const QString &given, const QString &key)
{
    if (key.isEmpty() || given.size() != key.size())
        return false;
    ushort diff = 0;
    for (int i = 0; i < key.size(); ++i)
        diff |= given.at(i).toUpper().unicode() ^ key.at(i).unicode();
    return diff == 0;
}
