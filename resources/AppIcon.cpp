#include "resources/AppIcon.h"

#include <QString>

QIcon KalvexIcon() {
    // The sizes embedded by resources/CMakeLists.txt.
    static constexpr int kSizes[] = {KALVEX_ICON_SIZES};
    QIcon icon;
    for (int size : kSizes)
        icon.addFile(QStringLiteral(":/kalvex/icons/kalvex-%1.png").arg(size), QSize(size, size));
    return icon;
}
