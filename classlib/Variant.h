#pragma once
// Variant comparison in the class library's style for QVariant: numbers compare
// by value whatever their type, a string compares with a number by its numeric
// value, strings compare exactly (case-sensitive), and an unassigned (invalid)
// or null variant equals only another of its kind. Where the class library
// would raise a conversion error (a string that is not a number compared with a
// number) the values are simply unequal.
#include <QVariant>

namespace nvqb {

bool VarIsArray(const QVariant &value);
bool VarIsEmpty(const QVariant &value);
// A number of any width, a boolean or a character code.
bool VarIsNumeric(const QVariant &value);
bool VarEquals(const QVariant &a, const QVariant &b);

} // namespace nvqb
