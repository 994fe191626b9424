#pragma once
// How a dialect compares identifiers: not at all by case, or by case with
// unquoted names folded to upper or to lower case first. Shared by the
// syntax provider, which compares, and the metadata provider, which may learn
// the rule of the server behind its connection.
namespace nvqb {

enum TnvIdentCaseSensitivity { icsNonSensitive, icsSensitiveUpperCase, icsSensitiveLowerCase };

} // namespace nvqb
