#pragma once

#include "BmpImage.h"

#include <map>
#include <string>

// The editor's bitmaps as the resource script lists them, loaded once per test program.
class Artwork {
public:
    static const Artwork& instance();

    // Ids in script order with the file each names, paths relative to the script.
    const std::map<int, std::string>& files() const { return files_; }
    bool declaresGermanLanguageFirst() const { return languageBeforeBitmaps_; }
    const std::string& scriptError() const { return scriptError_; }

    // The loaded bitmap of a listed id; an empty image (width 0) for an unknown id.
    const BmpImage& bitmap(int id) const;

private:
    Artwork();

    std::map<int, std::string> files_;
    std::map<int, BmpImage> images_;
    bool languageBeforeBitmaps_ = false;
    std::string scriptError_;
};

int luminance(Rgb c);
