// The shaded, height-coloured terrain texture: colour ramp times slope light.
#pragma once

#include "NormalMap.h"
#include "Vec3.h"

#include <QImage>

#include <functional>

class TTerrain;

// The largest texture side BuildTexture accepts: 16384² texels are 1 GB of
// bitmap already, and anything larger is a typing error, not a wish.
constexpr int MaxTextureResolution = 16384;

// From the north-west (−X, −Z) at about 26.6° above the horizon; not yet
// normalised, as ShadeTexels normalises whatever light it is given.
extern const TVec3 LightDir;

// Fills `bitmap` (made Resolution² Format_RGB32, row 0 the northern edge)
// with terrain's colours: HeightColor of the grid sample under each texel
// for the terrain's SeaLevel and the current GradientColors, scaled when
// Shading is on by f = n·L × diffuse + ambient, kept within 0 … 1, with n the
// texel's normal from `normals`. Each channel is truncated; the unused fourth
// byte is 0xFF, as QImage expects of Format_RGB32 and the upload sets anyway.
// Rows are spread over `threads` (0: every core); progress(fraction) runs on
// the calling thread, ending with 1.
void ShadeTexels(const TTerrain &terrain, const TNormalMap &normals, TVec3 light, float diffuse,
                 float ambient, QImage &bitmap, int threads = 0,
                 const std::function<void(float fraction)> &progress = {});
