// The pictures compiled into the program: the world coastline, the product
// picture and the icon.
#pragma once

#include <QString>

// Resource paths of the pictures.
inline const QString WorldCoastResource = QStringLiteral(":/WORLD_COAST");
inline const QString ProductPictureResource = QStringLiteral(":/Orolith");
inline const QString IconResource = QStringLiteral(":/icon");

// The resources live in a static library, whose registration the linker drops
// unless something refers to it: every user calls this first.
void EnsureResources();
