#pragma once
// The items of the installer's option table. Each item is offered a program
// parameter and says whether it took it.
#include <QString>

namespace nvqb {

// A plain item; without name and description it is a separator. It takes no
// parameter.
class TItem {
public:
    TItem() = default;
    TItem(QString name, QString description);
    virtual ~TItem();

    const QString &Name() const { return FName; }
    const QString &Description() const { return FDescription; }
    bool IsSeparator() const { return FName.isEmpty() && FDescription.isEmpty(); }
    // The name as the help shows it.
    virtual QString HelpName() const { return FName; }

    virtual bool Read(const QString &parameter);

private:
    QString FName;
    QString FDescription;
};

// A flag: the name sets it, the name followed by "-" clears it (both without
// regard to case).
class TBoolItem : public TItem {
public:
    TBoolItem(QString name, QString description, bool &value);
    bool Read(const QString &parameter) override;

private:
    bool &FValue;
};

// A text: a parameter that begins with the name (without regard to case)
// stores the rest, which may be empty.
class TStringItem : public TItem {
public:
    TStringItem(QString name, QString description, QString &value);
    QString HelpName() const override { return Name() + QLatin1Char('X'); }
    bool Read(const QString &parameter) override;

protected:
    QString &FValue;
};

// A text that must name an existing directory: one that does not keeps the
// previous value (the parameter is still taken).
class TDirItem : public TStringItem {
public:
    using TStringItem::TStringItem;
    bool Read(const QString &parameter) override;
};

} // namespace nvqb
