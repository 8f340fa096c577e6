// Checks a picture of the editor taken while the about picture is open: it must equal, pixel for pixel, the
// about picture this program's own editor shows after a click on the title, version line included.
// Usage: editor_about_check PICTURE.png; exit status 0 when it matches.
#include "gui/controls/GuiAboutSplash.h"
#include "gui/core/GuiBitmap.h"
#include "tests/editor/EditorHarness.h"
#include "tests/editor/PngReader.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    using namespace chorus;
    using namespace chorus::test;
    if (argc != 2) {
        std::fprintf(stderr, "usage: editor_about_check PICTURE.png\n");
        return 2;
    }
    PngImage shot;
    std::string error;
    if (!shot.load(argv[1], error)) {
        std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
        return 1;
    }
    EditorHarness h;
    h.click({30, 14});
    const GuiAboutSplash* splash = h.editor().getAboutSplash();
    if (splash == nullptr || !splash->isSplashOpen() ||
        std::strcmp(splash->getVersionText(), "Version: 1.1.1") != 0) {
        std::fprintf(stderr, "the reference editor did not open its about picture with the version line\n");
        return 1;
    }
    int width = 0;
    int height = 0;
    const std::vector<GuiColor> expected = h.capture(width, height);
    if (shot.width != width || shot.height != height) {
        std::fprintf(stderr, "picture is %d x %d, the editor %d x %d\n", shot.width, shot.height, width,
                     height);
        return 1;
    }
    const GuiRect versionArea{75, 175, 175, 190};
    const int differing = differingPixels(shot, expected, width, {0, 0, width, height});
    const int versionDiffering = differingPixels(shot, expected, width, versionArea);
    // The version line is printed on the picture: there the window differs from the bare bitmap.
    const GuiBitmap* about = h.editor().getBitmapBank().bitmapFor(ChorusEditor::bitmapAbout);
    const int printed = differingPixels(shot, bitmapPixels(about), about->getWidth(), versionArea);
    std::printf("%d pixels differ from the about picture, %d of them in the version line; %d text pixels\n",
                differing, versionDiffering, printed);
    return differing == 0 && printed > 0 ? 0 : 1;
}
