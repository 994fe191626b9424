#include "sqlmodel/providers/UnionOperatorIcons.h"

#include <QtGlobal>

// Outside any namespace, as the resource macros require. The resources are
// registered here explicitly: the unit may start before the static
// registration of the library's resources has run.
static void InitUnionOperatorResources() { Q_INIT_RESOURCE(UnionOperatorIcons); }
static void CleanupUnionOperatorResources() { Q_CLEANUP_RESOURCE(UnionOperatorIcons); }

namespace nvqb {

namespace {
constexpr int IconCount = 6;
const char *const IconNames[IconCount] = {
    "NVQB_UNION", "NVQB_UNIONALL", "NVQB_EXCEPT", "NVQB_EXCEPTALL", "NVQB_INTERSECT", "NVQB_INTERSECTALL",
};
QImage *Icons[IconCount] = {};
bool Loaded = false;
} // namespace

const QImage *UnionOperatorIcon(TnvUnionOperatorIcon kind)
{
    int index = int(kind);
    return index >= 0 && index < IconCount ? Icons[index] : nullptr;
}

void InitializeUnionOperatorIcons()
{
    if (Loaded)
        return;
    InitUnionOperatorResources();
    for (int i = 0; i < IconCount; ++i) {
        auto *image = new QImage(QStringLiteral(":/nvqb/union/") + QLatin1String(IconNames[i]));
        // The icons are drawn on a transparent background.
        if (!image->isNull() && !image->hasAlphaChannel())
            *image = image->convertToFormat(QImage::Format_ARGB32);
        Icons[i] = image;
    }
    Loaded = true;
}

void FinalizeUnionOperatorIcons()
{
    if (!Loaded)
        return;
    for (int i = IconCount - 1; i >= 0; --i) {
        delete Icons[i];
        Icons[i] = nullptr;
    }
    CleanupUnionOperatorResources();
    Loaded = false;
}

} // namespace nvqb
