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
    int differing = 0;
    int versionDiffering = 0;
    const GuiRect versionArea{75, 175, 175, 190};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const GuiColor c = expected[static_cast<std::size_t>(y * width + x)];
            const std::uint32_t packed = (static_cast<std::uint32_t>(c.red) << 16) |
                                         (static_cast<std::uint32_t>(c.green) << 8) | c.blue;
            if (shot.pixel(x, y) != packed) {
                ++differing;
                versionDiffering += versionArea.contains({x, y}) ? 1 : 0;
            }
        }
    }
    // The version line is printed on the picture: there the window differs from the bare bitmap.
    const GuiBitmap* about = h.editor().getBitmapBank().bitmapFor(ChorusEditor::bitmapAbout);
    const std::vector<GuiColor> bare = bitmapPixels(about);
    int printed = 0;
    for (int y = versionArea.top; y < versionArea.bottom; ++y) {
        for (int x = versionArea.left; x < versionArea.right; ++x) {
            const GuiColor c = bare[static_cast<std::size_t>(y * about->getWidth() + x)];
            const std::uint32_t packed = (static_cast<std::uint32_t>(c.red) << 16) |
                                         (static_cast<std::uint32_t>(c.green) << 8) | c.blue;
            printed += shot.pixel(x, y) != packed ? 1 : 0;
        }
    }
    std::printf("%d pixels differ from the about picture, %d of them in the version line; %d text pixels\n",
                differing, versionDiffering, printed);
    return differing == 0 && printed > 0 ? 0 : 1;
}
