#pragma once
// The maker's logo, drawn rather than loaded so the program carries no image files.
#include <QPixmap>

namespace banks {

QPixmap productLogo(int size);

}  // namespace banks
