#include "Subfamily.h"

namespace {
constexpr qint32 kFamilyTms320 = 320;
constexpr qint32 kFamilyArm = SubfamilyInfo::kArmFamily;
constexpr qint32 kArm7 = 1;
constexpr qint32 kArm9 = 2;
using WordClass = SubfamilyInfo::WordClass;
} // namespace

QString SubfamilyInfo::Name() const
{
    if (family == kFamilyArm)
        return code == kArm7 ? QStringLiteral("ARM7") : QStringLiteral("ARM9");
    return QString::number(code, 16).toUpper() + QLatin1Char('x');
}

const QList<SubfamilyInfo> &KnownSubfamilies()
{
    static const QList<SubfamilyInfo> table = {
        {0x20, kFamilyTms320, 2, WordClass::Bits16, true},
        {0x24, kFamilyTms320, 2, WordClass::Bits16, true},
        {0x27, kFamilyTms320, 2, WordClass::Bits16, true},
        {0x28, kFamilyTms320, 2, WordClass::Bits16, false},
        {0x54, kFamilyTms320, 2, WordClass::Bits16, true},
        {0x55, kFamilyTms320, 1, WordClass::Bits16, true},
        {0x62, kFamilyTms320, 1, WordClass::Bits32, false},
        {0x64, kFamilyTms320, 1, WordClass::Bits32, false},
        {0x67, kFamilyTms320, 1, WordClass::Bits32, false},
        {kArm7, kFamilyArm, 1, WordClass::Bits32, false},
        {kArm9, kFamilyArm, 1, WordClass::Bits32, false},
    };
    return table;
}

const SubfamilyInfo *FindSubfamily(qint32 code)
{
    for (const SubfamilyInfo &info : KnownSubfamilies()) {
        if (info.code == code)
            return &info;
    }
    return nullptr;
}

const SubfamilyInfo *FindSubfamilyByName(const QString &name)
{
    for (const SubfamilyInfo &info : KnownSubfamilies()) {
        if (info.Name().compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return &info;
    }
    return nullptr;
}
