#include "host/validate/ValidatorReport.h"

#include <cstdio>

namespace chorus::host {

namespace {

bool endsWith(const std::string& text, const std::string& tail) {
    if (text.size() < tail.size()) {
        return false;
    }
    for (std::size_t i = 0; i < tail.size(); ++i) {
        const char c = text[text.size() - tail.size() + i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != tail[i]) {
            return false;
        }
    }
    return true;
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// Control characters other than tab and newline are not allowed in XML 1.0 at all; they become '?'.
std::string xmlText(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c < 0x20 && c != '\t' && c != '\n' ? '?' : static_cast<char>(c);
        }
    }
    return out;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

} // namespace

bool ValidatorReport::formatFor(const std::string& path, Format& format) {
    if (endsWith(path, ".json")) {
        format = Format::json;
        return true;
    }
    if (endsWith(path, ".xml")) {
        format = Format::junit;
        return true;
    }
    return false;
}

bool ValidatorReport::open(const std::string& path, std::string& error) {
    if (!formatFor(path, format)) {
        error = "--report wants a file name ending in .json or .xml, got: " + path;
        return false;
    }
    return writer.open(path, error);
}

bool ValidatorReport::commit(const ValidatorOptions& options, std::string& error) {
    const std::string text =
        format == Format::json ? jsonText(options, entries) : junitText(options, entries);
    writer.write(text.data(), text.size());
    return writer.commit(error);
}

std::string ValidatorReport::jsonText(const ValidatorOptions& options, const std::vector<Entry>& entries) {
    int counts[4] = {};
    std::string checks;
    for (const auto& e : entries) {
        counts[e.status == "pass" ? 0 : e.status == "fail" ? 1 : e.status == "skip" ? 2 : 3] += 1;
        checks += std::string(checks.empty() ? "\n" : ",\n") + "    {\"name\": " + jsonString(e.name) +
                  ", \"status\": " + jsonString(e.status) + ", \"seconds\": " + number(e.seconds) +
                  ", \"message\": " + jsonString(e.message) + "}";
    }
    // Warnings count as passed, as in the text summary.
    return "{\n  \"plugin\": " + jsonString(options.plugin) +
           ",\n  \"level\": " + std::to_string(options.level) +
           ",\n  \"seed\": " + std::to_string(options.seed) +
           ",\n  \"passed\": " + std::to_string(counts[0] + counts[3]) +
           ",\n  \"failed\": " + std::to_string(counts[1]) +
           ",\n  \"skipped\": " + std::to_string(counts[2]) +
           ",\n  \"warnings\": " + std::to_string(counts[3]) + ",\n  \"checks\": [" + checks + "\n  ]\n}\n";
}

std::string ValidatorReport::junitText(const ValidatorOptions& options, const std::vector<Entry>& entries) {
    int failures = 0;
    int skipped = 0;
    double total = 0.0;
    std::string cases;
    for (const auto& e : entries) {
        total += e.seconds;
        cases += "    <testcase classname=\"validate\" name=\"" + xmlText(e.name) + "\" time=\"" +
                 number(e.seconds) + "\"";
        if (e.status == "fail") {
            ++failures;
            cases += ">\n      <failure message=\"" + xmlText(e.message) + "\"/>\n    </testcase>\n";
        } else if (e.status == "skip") {
            ++skipped;
            cases += ">\n      <skipped message=\"" + xmlText(e.message) + "\"/>\n    </testcase>\n";
        } else {
            // A warning has no JUnit element of its own; it is a passed case with its text beside it.
            cases += ">\n      <system-out>" + xmlText((e.status == "warn" ? "WARNING: " : "") + e.message) +
                     "</system-out>\n    </testcase>\n";
        }
    }
    const std::string tests = std::to_string(entries.size());
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites tests=\"" + tests + "\" failures=\"" +
           std::to_string(failures) + "\">\n  <testsuite name=\"" + xmlText(options.plugin) + "\" tests=\"" +
           tests + "\" failures=\"" + std::to_string(failures) + "\" errors=\"0\" skipped=\"" +
           std::to_string(skipped) + "\" time=\"" + number(total) +
           "\">\n    <properties>\n      <property name=\"level\" value=\"" + std::to_string(options.level) +
           "\"/>\n      <property name=\"seed\" value=\"" + std::to_string(options.seed) +
           "\"/>\n    </properties>\n" + cases + "  </testsuite>\n</testsuites>\n";
}

} // namespace chorus::host
