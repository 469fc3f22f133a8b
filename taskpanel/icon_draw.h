#pragma once
// Drawing an icon resource straight from the module's resource data: the image of the
// directory that fits the size best is decoded, scaled to the size asked for and blended
// onto the device context. No icon handle is made, so nothing is created or kept beyond
// the call; this is what keeps a full repaint with every icon loaded anew cheap.
#include <windows.h>

#include <string>

namespace taskpanel {

enum class IconDrawResult {
  Drawn,
  NotFound,     // the module has no icon resource of that name
  Undecodable,  // there is one, in a form this drawer does not read (a PNG image)
};

IconDrawResult DrawResourceIcon(HDC dc, HMODULE module, const std::string& name, int x, int y, int width,
                                int height);

}  // namespace taskpanel
