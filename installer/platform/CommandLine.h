#pragma once
// Splitting a Windows-style command line into the program and its arguments,
// by the rules of the Windows C runtime: blanks and tabs separate words outside
// double quotes; quotes group and are removed; inside quotes "" is one quote;
// 2n backslashes before a quote give n backslashes, 2n+1 give n and a literal
// quote; other backslashes are plain characters. The program (first word) ends
// at the next quote when it begins with one, else at the first blank.
#include <QString>
#include <QStringList>

namespace nvqb {

QStringList SplitCommandLine(const QString &commandLine);

} // namespace nvqb
