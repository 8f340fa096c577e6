#include "Artwork.h"

#include <fstream>
#include <regex>

#ifndef CHORUS_RESOURCES_DIR
#error "CHORUS_RESOURCES_DIR must name the resources folder"
#endif

const Artwork& Artwork::instance() {
    static const Artwork artwork;
    return artwork;
}

Artwork::Artwork() {
    const std::string dir = CHORUS_RESOURCES_DIR;
    std::ifstream script(dir + "/bitmaps.rc");
    if (!script) {
        scriptError_ = "cannot read " + dir + "/bitmaps.rc";
        return;
    }
    const std::regex language(R"(^\s*LANGUAGE\s+0x0*7\s*,\s*0x0*1\s*$)", std::regex::icase);
    const std::regex bitmapLine(R"re(^\s*(\d+)\s+BITMAP\s+"([^"]+)"\s*$)re");
    bool sawLanguage = false;
    std::string line;
    std::smatch m;
    while (std::getline(script, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (std::regex_match(line, language)) {
            sawLanguage = true;
        } else if (std::regex_match(line, m, bitmapLine)) {
            const int id = std::stoi(m[1].str());
            if (files_.empty())
                languageBeforeBitmaps_ = sawLanguage;
            if (!files_.emplace(id, m[2].str()).second)
                scriptError_ = "id " + m[1].str() + " listed twice";
            images_[id].load(dir + "/" + m[2].str());
        }
    }
}

const BmpImage& Artwork::bitmap(int id) const {
    static const BmpImage none;
    const auto it = images_.find(id);
    return it == images_.end() ? none : it->second;
}

int luminance(Rgb c) {
    return (c.red * 299 + c.green * 587 + c.blue * 114) / 1000;
}
