#pragma once

#include <QString>
#include <vector>

#include "db/Field.h"

// What the cube makes of each field of its query: a dimension (the values it is broken
// down by), a summary (a sum, count or average of a numeric field) or nothing.
enum class TCubeRole { Unused, Dimension, Sum, Count, Average };

// How the values of a date dimension are grouped.
enum class TDateGrouping { Value, Year, Quarter, Month };

struct TCubeField {
    QString FieldName;
    TFieldType DataType = TFieldType::ftUnknown;
    TCubeRole Role = TCubeRole::Unused;
    QString DisplayName;  // empty: the field name
    TDateGrouping Grouping = TDateGrouping::Value;
    // Summaries: a number pattern such as "#,##0.00"; empty: as the value comes.
    QString Format;

    QString Caption() const { return DisplayName.isEmpty() ? FieldName : DisplayName; }
    bool IsSummary() const {
        return Role == TCubeRole::Sum || Role == TCubeRole::Count || Role == TCubeRole::Average;
    }
};

// The role of every field of the query, in field order.
using TCubeMap = std::vector<TCubeField>;

bool IsNumericType(TFieldType type);
bool IsDateType(TFieldType type);

// The map a new query starts with: character and date fields become dimensions and
// numeric fields sums, as far as the limits allow; fields the old map knew keep what
// the user chose for them.
TCubeMap DefaultCubeMap(const std::vector<std::pair<QString, TFieldType>>& fields, const TCubeMap& previous,
                        int maxDimensions, int maxSummaries);

// Raises EDecisionCubeError when the map cannot be loaded: more dimensions or
// summaries than allowed, none of either, a summary over a field that is no number.
void CheckCubeMap(const TCubeMap& map, int maxDimensions, int maxSummaries);

// A number in a summary's pattern: digits after the point from the pattern's "0"/"#"
// after ".", thousands grouped when it holds ","; the pattern's "." and "," stand for the
// program's decimal and thousand separators. An empty pattern gives the program's float
// text (up to 15 significant digits).
QString FormatSummary(double value, const QString& pattern);
