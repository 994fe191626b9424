#pragma once
// The control's enumerated options as Qt's property system carries them: by
// name, so that Qt Designer offers the names and a form file stores them.
// The values are the model's own.
#include "builder/model/QueryBuilderModel.h"
#include "sqlmodel/text/SQLBuilder.h"

#include <QObject>

namespace nvqb {

struct TnvQueryBuilderEnums {
    Q_GADGET
public:
    enum TnvUnionNavBarPosition {
        unbTopRight = nvqb::unbTopRight,
        unbTopLeft = nvqb::unbTopLeft,
        unbBottomRight = nvqb::unbBottomRight,
        unbBottomLeft = nvqb::unbBottomLeft,
    };
    Q_ENUM(TnvUnionNavBarPosition)

    enum TnvObjectPrefixSkipping {
        opsSkipAll = nvqb::opsSkipAll,
        opsSkipDatabase = nvqb::opsSkipDatabase,
        opsSkipNone = nvqb::opsSkipNone,
    };
    Q_ENUM(TnvObjectPrefixSkipping)

    enum TnvBorderStyle {
        qbbs3D = nvqb::qbbs3D,
        qbbsFlat = nvqb::qbbsFlat,
        qbbsUltraFlat = nvqb::qbbsUltraFlat,
        qbbsNone = nvqb::qbbsNone,
    };
    Q_ENUM(TnvBorderStyle)

    enum TnvBkImagePos {
        bkipTopLeft = nvqb::bkipTopLeft,
        bkipTile = nvqb::bkipTile,
    };
    Q_ENUM(TnvBkImagePos)

    enum TnvBkImageDarkness {
        bgidWhite = nvqb::bgidWhite,
        bgidLight = nvqb::bgidLight,
        bgidDark = nvqb::bgidDark,
    };
    Q_ENUM(TnvBkImageDarkness)

    enum TnvTabStyle {
        tsTabs = nvqb::tsTabs,
        tsButtons = nvqb::tsButtons,
        tsFlatButtons = nvqb::tsFlatButtons,
    };
    Q_ENUM(TnvTabStyle)
};

} // namespace nvqb
