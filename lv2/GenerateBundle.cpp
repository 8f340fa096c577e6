// Writes the bundle's Turtle files and the wrapper's port table from the module itself, so that names,
// units, ranges, defaults, steps and factory programs are stated once, by the effect.
// Usage: chorus-lv2-generate BUNDLE_DIR HEADER BINARY_FILE_NAME [hard-rt]
#include "lv2/ChorusPorts.h"
#include "lv2/ModuleFacts.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

namespace {

using chorus::lv2::ModuleFacts;
using chorus::lv2::ParameterFacts;

constexpr char prefixes[] = "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                            "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
                            "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
                            "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
                            "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                            "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
                            "@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .\n"
                            "@prefix pg: <http://lv2plug.in/ns/ext/port-groups#> .\n"
                            "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
                            "@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .\n"
                            "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

constexpr char productName[] = "Quillfen Chorus";
constexpr char projectUri[] = "<http://quillfen.example/lv2/chorus>";

// The module's unit texts and their LV2 units; a unit missing here stops the build.
const std::map<std::string, std::string> lv2Units = {
    {"%", "units:pc"}, {"Hz", "units:hz"}, {"ms", "units:ms"}};

struct Variant {
    std::string_view uri;
    const char* nameSuffix;
    uint32_t inputs;
};
constexpr Variant variants[] = {{chorus::lv2::stereoUri, "", 2}, {chorus::lv2::monoInUri, " (mono in)", 1}};

// Shortest text that reads back as the same float, always a Turtle decimal or double.
std::string number(float value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    std::string result(text, end);
    if (result.find_first_of(".e") == std::string::npos) {
        result += ".0";
    }
    return result;
}

std::string quoted(const std::string& text) {
    std::string result = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            result += '\\';
        }
        result += c;
    }
    return result + "\"";
}

std::string uri(std::string_view text) {
    return "<" + std::string(text) + ">";
}

std::string presetUri(size_t program) {
    return uri(std::string(chorus::lv2::presetUriBase) + std::to_string(program));
}

bool isWhole(float value) {
    return static_cast<float>(static_cast<long>(value)) == value;
}

void writeControlPort(std::ostream& out, uint32_t index, const ParameterFacts& p) {
    out << "  [\n    a lv2:InputPort, lv2:ControlPort ;\n    lv2:index " << index << " ;\n    lv2:symbol "
        << quoted(std::string(chorus::lv2::parameterSymbols.at(index))) << " ;\n    lv2:name "
        << quoted(p.name) << " ;\n    lv2:default " << number(p.defaultValue) << " ;\n    lv2:minimum "
        << number(p.minimum) << " ;\n    lv2:maximum " << number(p.maximum) << " ;\n";
    if (!p.unit.empty()) {
        out << "    units:unit " << lv2Units.at(p.unit) << " ;\n";
    }
    if (p.step >= 1.0f && isWhole(p.step) && isWhole(p.minimum)) {
        out << "    lv2:portProperty lv2:integer ;\n";
    } else if (p.step > 0.0f) {
        out << "    pprops:rangeSteps " << static_cast<long>((p.maximum - p.minimum) / p.step + 1.5f)
            << " ;\n";
    }
    bool named = false;
    for (size_t s = 0; s < p.stepNames.size(); ++s) {
        const float value = p.minimum + static_cast<float>(s) * p.step;
        named = named || p.stepNames[s] != std::to_string(static_cast<long>(value));
    }
    if (named) {
        out << "    lv2:portProperty lv2:enumeration ;\n";
    }
    for (size_t s = 0; s < p.stepNames.size(); ++s) {
        const float value = p.minimum + static_cast<float>(s) * p.step;
        out << "    lv2:scalePoint [ rdfs:label " << quoted(p.stepNames[s]) << " ; rdf:value "
            << number(value) << " ] ;\n";
    }
    out << "  ] ,\n";
}

void writeAudioPort(std::ostream& out, uint32_t index, bool input, const char* symbol, const char* name,
                    const char* designation) {
    out << "  [\n    a lv2:" << (input ? "Input" : "Output") << "Port, lv2:AudioPort ;\n    lv2:index "
        << index << " ;\n    lv2:symbol \"" << symbol << "\" ;\n    lv2:name \"" << name
        << "\" ;\n    lv2:designation pg:" << designation << " ;\n  ]";
}

void writePlugin(std::ostream& out, const ModuleFacts& facts, const Variant& v, bool hardRt) {
    out << uri(v.uri) << "\n  a lv2:Plugin, lv2:ChorusPlugin ;\n  doap:name "
        << quoted(productName + std::string(v.nameSuffix)) << " ;\n  lv2:project " << projectUri
        << " ;\n  lv2:optionalFeature " << (hardRt ? "lv2:hardRTCapable, " : "")
        << "opts:options, urid:map ;\n  opts:supportedOption bufsz:maxBlockLength ;\n  lv2:port\n";
    for (uint32_t i = 0; i < facts.parameters.size(); ++i) {
        writeControlPort(out, i, facts.parameters[i]);
    }
    out << "  [\n    a lv2:InputPort, lv2:ControlPort ;\n    lv2:index " << chorus::lv2::enabledPort
        << " ;\n    lv2:symbol \"" << chorus::lv2::enabledSymbol << "\" ;\n    lv2:name \"Enabled\" ;\n"
        << "    lv2:designation lv2:enabled ;\n    lv2:portProperty lv2:toggled ;\n"
        << "    lv2:default 1 ;\n    lv2:minimum 0 ;\n    lv2:maximum 1 ;\n  ] ,\n";
    const uint32_t in = chorus::lv2::firstAudioPort;
    const uint32_t outPort = chorus::lv2::firstOutputPort(v.inputs);
    if (v.inputs == 1) {
        writeAudioPort(out, in, true, "in", "In", "center");
    } else {
        writeAudioPort(out, in, true, "in_l", "In L", "left");
        out << " ,\n";
        writeAudioPort(out, in + 1, true, "in_r", "In R", "right");
    }
    out << " ,\n";
    writeAudioPort(out, outPort, false, "out_l", "Out L", "left");
    out << " ,\n";
    writeAudioPort(out, outPort + 1, false, "out_r", "Out R", "right");
    out << " .\n\n";
}

bool save(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
    file.close();
    if (!file) {
        std::fprintf(stderr, "chorus-lv2-generate: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s BUNDLE_DIR HEADER BINARY_FILE_NAME [hard-rt]\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const bool hardRt = argc > 4 && std::string(argv[4]) == "hard-rt";
    const ModuleFacts facts = ModuleFacts::read();
    if (facts.parameters.size() != chorus::lv2::parameterSymbols.size()) {
        std::fprintf(stderr, "chorus-lv2-generate: the module has %zu parameters, the port table %zu\n",
                     facts.parameters.size(), chorus::lv2::parameterSymbols.size());
        return 1;
    }

    std::ostringstream manifest;
    manifest << prefixes;
    for (const Variant& v : variants) {
        manifest << uri(v.uri) << "\n  a lv2:Plugin ;\n  lv2:binary <" << argv[3]
                 << "> ;\n  rdfs:seeAlso <chorus.ttl> .\n\n";
    }
    for (size_t p = 0; p < facts.programs.size(); ++p) {
        manifest << presetUri(p) << "\n  a pset:Preset ;\n  lv2:appliesTo " << uri(variants[0].uri) << ", "
                 << uri(variants[1].uri) << " ;\n  rdfs:seeAlso <presets.ttl> .\n\n";
    }

    std::ostringstream plugin;
    plugin << prefixes << "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n\n";
    plugin << projectUri << "\n  a doap:Project ;\n  doap:name " << quoted(productName)
           << " ;\n  doap:maintainer [ foaf:name " << quoted(facts.vendor) << " ] .\n\n";
    for (const Variant& v : variants) {
        writePlugin(plugin, facts, v, hardRt);
    }

    std::ostringstream presets;
    presets << prefixes;
    for (size_t p = 0; p < facts.programs.size(); ++p) {
        presets << presetUri(p) << "\n  a pset:Preset ;\n  lv2:appliesTo " << uri(variants[0].uri) << ", "
                << uri(variants[1].uri) << " ;\n  rdfs:label " << quoted(facts.programs[p].name)
                << " ;\n  lv2:port";
        for (size_t i = 0; i < facts.parameters.size(); ++i) {
            presets << (i == 0 ? " " : " ,\n    ") << "[ lv2:symbol \"" << chorus::lv2::parameterSymbols[i]
                    << "\" ; pset:value " << number(facts.programs[p].values[i]) << " ]";
        }
        presets << " .\n\n";
    }

    // The wrapper clamps to the ranges the Turtle states.
    std::ostringstream header;
    header << "// Generated by chorus-lv2-generate from the module: do not edit.\n#pragma once\n\n"
              "namespace chorus::lv2 {\n\nstruct PortRange {\n    float minimum;\n    float maximum;\n};\n\n"
              "inline constexpr PortRange parameterRanges[] = {";
    for (const ParameterFacts& p : facts.parameters) {
        header << "{" << number(p.minimum) << "f, " << number(p.maximum) << "f}, ";
    }
    header << "};\n\n} // namespace chorus::lv2\n";

    return save(dir + "/manifest.ttl", manifest.str()) && save(dir + "/chorus.ttl", plugin.str()) &&
                   save(dir + "/presets.ttl", presets.str()) && save(argv[2], header.str())
               ? 0
               : 1;
}
