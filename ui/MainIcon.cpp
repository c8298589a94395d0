// The icon images are XPM text in ui/icons/, readable and editable as they stand.
#include "ui/MainIcon.h"

#include <QPixmap>

#include "ui/icons/membrane-16.xpm"
#include "ui/icons/membrane-32.xpm"

QIcon LoadMainIcon()
{
    QIcon icon;
    icon.addPixmap(QPixmap(membrane_32_xpm));
    icon.addPixmap(QPixmap(membrane_16_xpm));
    return icon;
}
