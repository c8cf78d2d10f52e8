#include "cube/CubeMap.h"

#include <QRegularExpression>
#include <cmath>

#include "cube/CubeError.h"
#include "rtl/SysUtils.h"

bool IsNumericType(TFieldType type) {
    switch (type) {
        case TFieldType::ftSmallint:
        case TFieldType::ftInteger:
        case TFieldType::ftWord:
        case TFieldType::ftAutoInc:
        case TFieldType::ftLargeint:
        case TFieldType::ftFloat:
        case TFieldType::ftCurrency:
        case TFieldType::ftBCD:
            return true;
        default:
            return false;
    }
}

bool IsDateType(TFieldType type) {
    return type == TFieldType::ftDate || type == TFieldType::ftDateTime;
}

TCubeMap DefaultCubeMap(const std::vector<std::pair<QString, TFieldType>>& fields, const TCubeMap& previous,
                        int maxDimensions, int maxSummaries) {
    TCubeMap map;
    int dimensions = 0;
    int summaries = 0;
    for (const auto& [name, type] : fields) {
        TCubeField f;
        f.FieldName = name;
        f.DataType = type;
        const TCubeField* known = nullptr;
        for (const TCubeField& p : previous)
            if (p.FieldName.compare(name, Qt::CaseInsensitive) == 0 && p.DataType == type) known = &p;
        if (known != nullptr) {
            f = *known;
            f.FieldName = name;
        } else if (IsNumericType(type)) {
            f.Role = TCubeRole::Sum;
        } else if (type != TFieldType::ftBlob && type != TFieldType::ftMemo && type != TFieldType::ftBytes) {
            f.Role = TCubeRole::Dimension;
        }
        // A kept choice also yields to the limits, the first fields first.
        if (f.Role == TCubeRole::Dimension && ++dimensions > maxDimensions) f.Role = TCubeRole::Unused;
        if (f.IsSummary() && ++summaries > maxSummaries) f.Role = TCubeRole::Unused;
        map.push_back(f);
    }
    return map;
}

void CheckCubeMap(const TCubeMap& map, int maxDimensions, int maxSummaries) {
    int dimensions = 0;
    int summaries = 0;
    for (const TCubeField& f : map) {
        if (f.Role == TCubeRole::Dimension) ++dimensions;
        if (!f.IsSummary()) continue;
        ++summaries;
        if (!IsNumericType(f.DataType))
            throw EDecisionCubeError(
                QStringLiteral("The field %1 is not a number: it cannot be summed, counted or averaged.")
                    .arg(f.FieldName));
    }
    if (dimensions > maxDimensions)
        throw EDecisionCubeError(QStringLiteral("%1 dimensions chosen; the cube holds at most %2.")
                                     .arg(dimensions)
                                     .arg(maxDimensions));
    if (summaries > maxSummaries)
        throw EDecisionCubeError(QStringLiteral("%1 summaries chosen; the cube holds at most %2.")
                                     .arg(summaries)
                                     .arg(maxSummaries));
    if (summaries == 0)
        throw EDecisionCubeError(
            QStringLiteral("The cube needs at least one summary: a numeric field to sum, count or average."));
}

QString FormatSummary(double value, const QString& pattern) {
    if (pattern.isEmpty()) return FloatToStr(value);
    const qsizetype point = pattern.indexOf(QChar('.'));
    int decimals = 0;
    if (point >= 0)
        for (qsizetype i = point + 1; i < pattern.size() && (pattern[i] == '0' || pattern[i] == '#'); ++i)
            ++decimals;
    const bool grouped = pattern.left(point < 0 ? pattern.size() : point).contains(QChar(','));
    QString digits = QString::number(std::fabs(value), 'f', decimals);
    QString whole = digits;
    QString fraction;
    if (decimals > 0) {
        whole = digits.left(digits.size() - decimals - 1);
        fraction = DecimalSeparator() + digits.right(decimals);
    }
    if (grouped)
        for (qsizetype i = whole.size() - 3; i > 0; i -= 3) whole.insert(i, ThousandSeparator());
    const bool negative =
        value < 0 && (whole + fraction).contains(QRegularExpression(QStringLiteral("[1-9]")));
    return (negative ? QStringLiteral("-") : QString()) + whole + fraction;
}
