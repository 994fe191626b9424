#pragma once
// The IDEs installed on the machine, in the order found: Delphi, then
// C++Builder, then BDS, each by the order of its version keys.
#include "installer/CompileTarget.h"

#include <memory>
#include <vector>

namespace nvqb {

class TCmdOptions;

class TCompileTargetList {
public:
    // Sets the options' registry path names to "Delphi", "C++Builder" and
    // "BDS" where they are empty, then enumerates Delphi (unless
    // "--ignore-delphi"), C++Builder (unless "--ignore-bcb") and BDS (unless
    // "--ignore-delphi").
    explicit TCompileTargetList(TCmdOptions &options);
    TCompileTargetList(const TCompileTargetList &) = delete;
    TCompileTargetList &operator=(const TCompileTargetList &) = delete;

    qsizetype Count() const { return qsizetype(FItems.size()); }
    TCompileTarget *Items(qsizetype index) const { return FItems[size_t(index)].get(); }
    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

private:
    // Every version key of the product under HKEY_LOCAL_MACHINE that begins
    // with a digit 1 to 9 (for BDS only usable versions) and has its user key
    // under HKEY_CURRENT_USER gives a target, kept when it is valid.
    void EnumerateProduct(const QString &productKey, const QString &registryPathName);

    std::vector<std::unique_ptr<TCompileTarget>> FItems;
};

} // namespace nvqb
