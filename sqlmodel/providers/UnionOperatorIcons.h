#pragma once
// The six union-operator icons, loaded from the library's resources at unit
// start and owned by the unit until its end.
#include <QImage>
#include <QString>

namespace nvqb {

enum TnvUnionOperatorIcon {
    uoiUnion,
    uoiUnionAll,
    uoiExcept,
    uoiExceptAll,
    uoiIntersect,
    uoiIntersectAll,
};

// The icon of the kind; nil outside the unit's lifetime.
const QImage *UnionOperatorIcon(TnvUnionOperatorIcon kind);

void InitializeUnionOperatorIcons();
void FinalizeUnionOperatorIcons();

} // namespace nvqb
