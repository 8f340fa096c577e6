#pragma once

#include "host/audio/SafeFileWriter.h"
#include "host/validate/ValidatorCase.h"

#include <string>
#include <vector>

namespace chorus::host {

// The validator's machine-readable report beside its text: JSON for a path ending in .json, JUnit XML for
// one ending in .xml. The file is opened before the run, so that an unwritable path costs no run, and
// appears whole or not at all.
class ValidatorReport {
public:
    enum class Format { json, junit };
    struct Entry {
        std::string name;
        std::string status; // "pass", "fail", "skip" or "warn"
        std::string message;
        double seconds = 0.0;
    };

    // The format a path asks for; false when its extension is neither.
    static bool formatFor(const std::string& path, Format& format);

    bool open(const std::string& path, std::string& error);
    void add(Entry entry) { entries.push_back(std::move(entry)); }
    bool commit(const ValidatorOptions& options, std::string& error);

    static std::string jsonText(const ValidatorOptions& options, const std::vector<Entry>& entries);
    static std::string junitText(const ValidatorOptions& options, const std::vector<Entry>& entries);

private:
    Format format = Format::json;
    SafeFileWriter writer;
    std::vector<Entry> entries;
};

} // namespace chorus::host
