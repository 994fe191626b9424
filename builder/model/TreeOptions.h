#pragma once
// The options of the query-structure tree: whether the left panel shows, the
// texts and images of its nodes and which nodes open expanded. The query
// builder owns one; a change of any value updates its controls.
#include "builder/model/ImageList.h"
#include "sqlmodel/text/UpdatablePersistent.h"

#include <QString>

namespace nvqb {

class TnvTreeOptions : public TnvUpdatablePersistent {
    NV_DECLARE_CLASS(TnvTreeOptions)
public:
    TnvTreeOptions();
    void Assign(const TPersistent *source) override;

    bool TreeVisible() const { return FTreeVisible; }
    void SetTreeVisible(bool value) { SetAndNotify(FTreeVisible, value); }
    int TreeWidth() const { return FTreeWidth; }
    void SetTreeWidth(int value) { SetAndNotify(FTreeWidth, value); }
    QString UnionsNodeText() const { return FUnionsNodeText; }
    void SetUnionsNodeText(const QString &value) { SetAndNotify(FUnionsNodeText, value); }
    bool ShowFields() const { return FShowFields; }
    void SetShowFields(bool value) { SetAndNotify(FShowFields, value); }
    QString FieldsNodeText() const { return FFieldsNodeText; }
    void SetFieldsNodeText(const QString &value) { SetAndNotify(FFieldsNodeText, value); }
    bool ShowFrom() const { return FShowFrom; }
    void SetShowFrom(bool value) { SetAndNotify(FShowFrom, value); }
    QString FromNodeText() const { return FFromNodeText; }
    void SetFromNodeText(const QString &value) { SetAndNotify(FFromNodeText, value); }
    TnvImageList ImageList() const { return FImageList; }
    void SetImageList(const TnvImageList &value);
    int QueriesImageIndex() const { return FQueriesImageIndex; }
    void SetQueriesImageIndex(int value) { SetAndNotify(FQueriesImageIndex, value); }
    int FieldsImageIndex() const { return FFieldsImageIndex; }
    void SetFieldsImageIndex(int value) { SetAndNotify(FFieldsImageIndex, value); }
    int FieldImageIndex() const { return FFieldImageIndex; }
    void SetFieldImageIndex(int value) { SetAndNotify(FFieldImageIndex, value); }
    int FromImageIndex() const { return FFromImageIndex; }
    void SetFromImageIndex(int value) { SetAndNotify(FFromImageIndex, value); }
    int FromObjImageIndex() const { return FFromObjImageIndex; }
    void SetFromObjImageIndex(int value) { SetAndNotify(FFromObjImageIndex, value); }
    bool ExpandQueryNodes() const { return FExpandQueryNodes; }
    void SetExpandQueryNodes(bool value) { SetAndNotify(FExpandQueryNodes, value); }
    bool ExpandUnionsNodes() const { return FExpandUnionsNodes; }
    void SetExpandUnionsNodes(bool value) { SetAndNotify(FExpandUnionsNodes, value); }
    bool ExpandFieldsNodes() const { return FExpandFieldsNodes; }
    void SetExpandFieldsNodes(bool value) { SetAndNotify(FExpandFieldsNodes, value); }
    bool ExpandFromNodes() const { return FExpandFromNodes; }
    void SetExpandFromNodes(bool value) { SetAndNotify(FExpandFromNodes, value); }

private:
    bool FTreeVisible = true;
    int FTreeWidth = 150;
    QString FUnionsNodeText = QStringLiteral("UNIONS");
    bool FShowFields = true;
    QString FFieldsNodeText = QStringLiteral("FIELDS");
    bool FShowFrom = true;
    QString FFromNodeText = QStringLiteral("FROM");
    TnvImageList FImageList;
    int FQueriesImageIndex = -1;
    int FFieldsImageIndex = -1;
    int FFieldImageIndex = -1;
    int FFromImageIndex = -1;
    int FFromObjImageIndex = -1;
    bool FExpandQueryNodes = true;
    bool FExpandUnionsNodes = true;
    bool FExpandFieldsNodes = true;
    bool FExpandFromNodes = true;
};

} // namespace nvqb
