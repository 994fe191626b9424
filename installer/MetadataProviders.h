#pragma once
// The metadata-provider descriptors, one class per data-access component set,
// and the list of all of them in the order the pages and the runs use.
#include "installer/MetadataProvider.h"

#include <memory>
#include <vector>

namespace nvqb {

class TADOMetadataProvider : public TMetadataProvider {
public:
    explicit TADOMetadataProvider(TInstallData *installData);
};

class TBDEMetadataProvider : public TMetadataProvider {
public:
    explicit TBDEMetadataProvider(TInstallData *installData);
};

class TIBExMetadataProvider : public TMetadataProvider {
public:
    explicit TIBExMetadataProvider(TInstallData *installData);
};

class TDbExMetadataProvider : public TMetadataProvider {
public:
    explicit TDbExMetadataProvider(TInstallData *installData);
};

class TZeosMetadataProvider : public TMetadataProvider {
public:
    explicit TZeosMetadataProvider(TInstallData *installData);
};

class TCrMyDACMetadataProvider : public TMetadataProvider {
public:
    explicit TCrMyDACMetadataProvider(TInstallData *installData);
};

class TCrODACMetadataProvider : public TMetadataProvider {
public:
    explicit TCrODACMetadataProvider(TInstallData *installData);
};

class TCrSDACMetadataProvider : public TMetadataProvider {
public:
    explicit TCrSDACMetadataProvider(TInstallData *installData);
};

class TFIBPlusMetadataProvider : public TMetadataProvider {
public:
    explicit TFIBPlusMetadataProvider(TInstallData *installData);
};

class TDOAMetadataProvider : public TMetadataProvider {
public:
    explicit TDOAMetadataProvider(TInstallData *installData);
};

class TAccuracerMetadataProvider : public TMetadataProvider {
public:
    explicit TAccuracerMetadataProvider(TInstallData *installData);
};

class TEasyTableMetadataProvider : public TMetadataProvider {
public:
    explicit TEasyTableMetadataProvider(TInstallData *installData);
};

class TIDACMetadataProvider : public TMetadataProvider {
public:
    explicit TIDACMetadataProvider(TInstallData *installData);
};

class TMoMYDACMetadataProvider : public TMetadataProvider {
public:
    explicit TMoMYDACMetadataProvider(TInstallData *installData);
};

class TMoPgDACMetadataProvider : public TMetadataProvider {
public:
    explicit TMoPgDACMetadataProvider(TInstallData *installData);
};

class TMoMSDACMetadataProvider : public TMetadataProvider {
public:
    explicit TMoMSDACMetadataProvider(TInstallData *installData);
};

class TSQLDirectMetadataProvider : public TMetadataProvider {
public:
    explicit TSQLDirectMetadataProvider(TInstallData *installData);
};

class TDBISAMMetadataProvider : public TMetadataProvider {
public:
    explicit TDBISAMMetadataProvider(TInstallData *installData);
};

class TIBOMetadataProvider : public TMetadataProvider {
public:
    explicit TIBOMetadataProvider(TInstallData *installData);
};

class TAdvantageMetadataProvider : public TMetadataProvider {
public:
    explicit TAdvantageMetadataProvider(TInstallData *installData);
protected:
    // "adsD" + the IDE's version number + "0d.bpl": the set has one design
    // package per IDE version.
    QString ProbeName(const TCompileTarget &ide) const override;
};

class TNexusDBMetadataProvider : public TMetadataProvider {
public:
    explicit TNexusDBMetadataProvider(TInstallData *installData);
};

class TAbsoluteDBMetadataProvider : public TMetadataProvider {
public:
    explicit TAbsoluteDBMetadataProvider(TInstallData *installData);
};

// Owns the descriptors, in table order.
class TMetadataProvidersList {
public:
    qsizetype Count() const { return qsizetype(FItems.size()); }
    TMetadataProvider *Items(qsizetype index) const { return FItems[size_t(index)].get(); }
    void Add(std::unique_ptr<TMetadataProvider> provider) { FItems.push_back(std::move(provider)); }
    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

private:
    std::vector<std::unique_ptr<TMetadataProvider>> FItems;
};

// Fills the list with the 22 descriptors.
void RegisterMetadataProviders(TMetadataProvidersList &list, TInstallData *installData);

} // namespace nvqb
