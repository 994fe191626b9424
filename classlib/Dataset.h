#pragma once
// Datasets in the class library's style: a dataset is a component that, once
// open, stands on one record of its rows at a time (First, Next, Eof) and shows
// that record through its fields, looked up by name without regard to case.
// Field definitions (name, data type, size, ...) describe the columns and can
// be refreshed from a dataset that is not open, so a caller can learn the
// columns of a query without running it.
//
// 8-bit text (AsString) is UTF-8; wide text (AsWideString) is a QString.
#include "classlib/Component.h"
#include "classlib/Exceptions.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

namespace nvqb {

// The class library's field types. The ordinals are stored in metadata XML
// files, so they must never change: new types could only be appended.
enum TFieldType {
    ftUnknown = 0,
    ftString = 1,
    ftSmallint = 2,
    ftInteger = 3,
    ftWord = 4,
    ftBoolean = 5,
    ftFloat = 6,
    ftCurrency = 7,
    ftBCD = 8,
    ftDate = 9,
    ftTime = 10,
    ftDateTime = 11,
    ftBytes = 12,
    ftVarBytes = 13,
    ftAutoInc = 14,
    ftBlob = 15,
    ftMemo = 16,
    ftGraphic = 17,
    ftFmtMemo = 18,
    ftParadoxOle = 19,
    ftDBaseOle = 20,
    ftTypedBinary = 21,
    ftCursor = 22,
    ftFixedChar = 23,
    ftWideString = 24,
    ftLargeint = 25,
    ftADT = 26,
    ftArray = 27,
    ftReference = 28,
    ftDataSet = 29,
    ftOraBlob = 30,
    ftOraClob = 31,
    ftVariant = 32,
    ftInterface = 33,
    ftIDispatch = 34,
    ftGuid = 35,
    ftTimeStamp = 36,
    ftFMTBcd = 37,
};
constexpr int FieldTypeCount = ftFMTBcd + 1;

// The type's name as the class library spells it ("ftWideString"); "ftUnknown"
// for a value outside the enumeration.
const char *FieldTypeName(TFieldType type);

// A failure of a dataset or of the database behind it: a field that does not
// exist, an operation on a closed dataset, a value of the wrong kind.
NVQB_DECLARE_EXCEPTION(EDatabaseError, Exception);

class TDataSet;

// The description of one column.
class TFieldDef {
public:
    TFieldDef() = default;
    TFieldDef(const QString &name, TFieldType dataType, int size = 0, bool required = false)
        : FName(name), FDataType(dataType), FSize(size), FRequired(required)
    {
    }

    const QString &Name() const { return FName; }
    void SetName(const QString &value) { FName = value; }
    TFieldType DataType() const { return FDataType; }
    void SetDataType(TFieldType value) { FDataType = value; }
    // Characters of a text column, bytes of a binary one, digits after the
    // point of a BCD column; 0 for the other types.
    int Size() const { return FSize; }
    void SetSize(int value) { FSize = value; }
    // Total digits of a numeric column; 0 when unknown or not numeric.
    int Precision() const { return FPrecision; }
    void SetPrecision(int value) { FPrecision = value; }
    // The column does not take nulls.
    bool Required() const { return FRequired; }
    void SetRequired(bool value) { FRequired = value; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value) { FReadOnly = value; }

    bool operator==(const TFieldDef &) const = default;

private:
    QString FName;
    TFieldType FDataType = ftUnknown;
    int FSize = 0;
    int FPrecision = 0;
    bool FRequired = false;
    bool FReadOnly = false;
};

// The ordered field definitions of a dataset. Names are found without regard
// to case; when a query yields two columns of one name, the first is found.
class TFieldDefs {
public:
    explicit TFieldDefs(TDataSet *dataSet) : FDataSet(dataSet) {}

    qsizetype Count() const { return FItems.size(); }
    const TFieldDef &Items(qsizetype index) const;
    const TFieldDef &operator[](qsizetype index) const { return Items(index); }
    TFieldDef &Add(const QString &name, TFieldType dataType, int size = 0, bool required = false);
    void Add(const TFieldDef &def);
    void Clear();
    // -1 when no definition has the name.
    qsizetype IndexOf(const QString &name) const;
    // Raises EDatabaseError "Field 'X' not found" when no definition has the name.
    const TFieldDef &Find(const QString &name) const;
    // Refreshes the definitions from the dataset's source without opening it.
    void Update();

private:
    TDataSet *FDataSet;
    QList<TFieldDef> FItems;
};

// One column of an open dataset, showing the value of the current record.
// A dataset with no current record (empty) shows every field as null.
class TField : public TObject {
    NV_DECLARE_CLASS(TField)
public:
    TField(TDataSet *dataSet, const TFieldDef &def, int index);

    TDataSet *DataSet() const { return FDataSet; }
    const QString &FieldName() const { return FDef.Name(); }
    TFieldType DataType() const { return FDef.DataType(); }
    int Size() const { return FDef.Size(); }
    const TFieldDef &Def() const { return FDef; }
    // Position among the dataset's fields, counted from 0.
    int Index() const { return FIndex; }

    bool IsNull() const;
    // The value of the current record; a null QVariant for null.
    QVariant AsVariant() const;
    QVariant Value() const { return AsVariant(); }
    // Text forms; empty for null. Binary values come back byte for byte.
    QByteArray AsString() const;
    QString AsWideString() const;
    // 0 for null; raises EDatabaseError naming the field and the value when it
    // is not an integer.
    int AsInteger() const;
    // 0 for null; raises EDatabaseError as AsInteger does.
    double AsFloat() const;

private:
    TDataSet *FDataSet;
    TFieldDef FDef;
    int FIndex;
};

// The abstract dataset. A subclass supplies the rows through the Internal*
// hooks and publishes each record it moves to with SetCurrentRecord.
class TDataSet : public TComponent {
    NV_DECLARE_CLASS(TDataSet)
public:
    explicit TDataSet(TComponent *owner);
    ~TDataSet() override;

    void Open();
    void Close();
    bool Active() const { return FActive; }
    void SetActive(bool value);

    // Moves to the first record; Eof is then true only for an empty dataset.
    void First();
    // Moves to the next record; past the last one Eof becomes true and the
    // fields keep showing the last record.
    void Next();
    bool Eof() const { return FEof; }
    bool Bof() const { return FBof; }
    // Open and without records. A closed dataset counts as empty.
    bool IsEmpty() const;

    TFieldDefs &FieldDefs() { return FFieldDefs; }
    const TFieldDefs &FieldDefs() const { return FFieldDefs; }
    qsizetype FieldCount() const { return FFields.size(); }
    // The fields exist while the dataset is open.
    TField *Fields(qsizetype index) const;
    // nil when the dataset has no field of that name (or is closed).
    TField *FindField(const QString &name) const;
    // Raises EDatabaseError "Field 'X' not found" when there is none.
    TField *FieldByName(const QString &name) const;

    // The value of a field in the current record; a null QVariant when there is
    // no current record. Raises EDatabaseError on a closed dataset.
    QVariant FieldValue(int index) const;

    // Called by TFieldDefs::Update: a closed dataset refreshes its definitions
    // from its source (InternalInitFieldDefs); an open one keeps them.
    void UpdateFieldDefs();

    // Raises EDatabaseError with the message, prefixed by the dataset's name
    // when it has one ("Name: message").
    [[noreturn]] void DatabaseError(const QString &message) const;

protected:
    void BeforeDestruction() override;

    // Opens the source and fills FieldDefs. Must not move to a record.
    virtual void InternalOpen() = 0;
    virtual void InternalClose() = 0;
    // Fills FieldDefs without opening; the base keeps what is there.
    virtual void InternalInitFieldDefs() {}
    // Move to the first or next record; false when there is none. On success
    // the subclass has called SetCurrentRecord.
    virtual bool InternalFirst() = 0;
    virtual bool InternalNext() = 0;

    void SetCurrentRecord(QList<QVariant> values) { FRecord = std::move(values); }

private:
    void CheckActive() const;
    void DestroyFields();

    TFieldDefs FFieldDefs;
    std::vector<TOwned<TField>> FFields;
    QList<QVariant> FRecord;
    bool FActive = false;
    bool FEof = true;
    bool FBof = true;
};

// Converts a value to the form the field type keeps (integers as qint64 or
// int, floats as double, text as QString, bytes as QByteArray, dates as
// QDate/QTime/QDateTime). A null or invalid value stays null. Raises
// EDatabaseError naming the field when the value cannot be converted.
QVariant ConvertFieldValue(const TFieldDef &def, const QVariant &value);

} // namespace nvqb
