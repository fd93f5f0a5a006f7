#include "shell/app_icon.h"

QIcon OrloIcon() {
    static const QIcon icon(QStringLiteral(":/orlo/orlo.png"));
    return icon;
}
