// IDR_MAINFRAME, the application icon: a 32 x 32 and a 16 x 16 image.
#pragma once

#include <QIcon>

QIcon LoadMainIcon();
