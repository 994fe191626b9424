#pragma once
// A package registered in an IDE (a value of its "Known Packages", "Known IDE
// Packages" or "Disabled Packages" key: the package file, as a rule with its
// folder, and its description) and the owning list of them.
#include <QString>

#include <memory>
#include <vector>

namespace nvqb {

class TDelphiPackage {
public:
    // Without a description the package is described by its file name
    // without folder and extension.
    TDelphiPackage(QString fileName, QString description);

    const QString &FileName() const { return FFileName; }
    const QString &Description() const { return FDescription; }
    // The file name without its folder.
    QString Name() const;

private:
    QString FFileName;
    QString FDescription;
};

class TDelphiPackageList {
public:
    TDelphiPackage *Add(const QString &fileName, const QString &description = QString());
    qsizetype Count() const { return qsizetype(FItems.size()); }
    TDelphiPackage *Items(qsizetype index) const { return FItems[size_t(index)].get(); }
    void Delete(qsizetype index);
    void Clear() { FItems.clear(); }

    // Look-ups compare the file-name part only, without regard to case.
    qsizetype IndexOf(const QString &fileName) const;
    TDelphiPackage *Find(const QString &fileName) const;
    TDelphiPackage *FindByPrefix(const QString &prefix) const;

    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

private:
    std::vector<std::unique_ptr<TDelphiPackage>> FItems;
};

} // namespace nvqb
