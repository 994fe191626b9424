#pragma once
// RAR archives for the tests, written here because libarchive reads RAR but
// cannot write it: files and folders stored (not compressed) as an archiver
// on Windows stores them, in the layout of RAR 4 or RAR 5, closed by the
// end-of-archive block.
#include "TestDistribution.h"

#include <QByteArray>

#include <vector>

namespace nvqb::test {

enum class TRarVersion { Rar4, Rar5 };

// The archive of the files and folders (other kinds fail the test).
QByteArray RarArchive(const std::vector<TArchiveEntry> &entries, TRarVersion version);

} // namespace nvqb::test
