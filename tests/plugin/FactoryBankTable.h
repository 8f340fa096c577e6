#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The factory programs as published: names and the exact bit patterns of their normalised values.
struct FactoryProgram {
    const char* name;
    std::array<uint32_t, 5> values;
};

inline const std::array<FactoryProgram, 8> factoryPrograms = {{
    {"Default", {0x3F000000, 0x3ECCCCCD, 0x3ECCCCCD, 0x00000000, 0x3F000000}},
    {"Wobble", {0x3F000000, 0x3F4CCCCD, 0x3F4CCCCD, 0x00000000, 0x3F000000}},
    {"Slow Step", {0x3F000000, 0x3DCCCCCD, 0x3F800000, 0x3EAAAAAB, 0x3F800000}},
    {"Light", {0x3F000000, 0x3E4CCCCD, 0x3DCCCCCD, 0x00000000, 0x00000000}},
    {"Gargle This", {0x3F000000, 0x3F800000, 0x3F800000, 0x3F2AAAAB, 0x3F800000}},
    {"Ear Candy", {0x3F199999, 0x3E4CCCCD, 0x3E4CCCCD, 0x3F800000, 0x3F000000}},
    {"Trans Phase", {0x3F599999, 0x3DCCCCCD, 0x3CF5C28F, 0x3EAAAAAB, 0x00000000}},
    {"Evil Shadow", {0x3F666666, 0x3F800000, 0x3DCCCCCD, 0x3F800000, 0x3F000000}},
}};

// One 84-byte row: five big-endian values, then the name padded with zeros to 64 bytes.
inline std::vector<uint8_t> chunkRow(const std::array<uint32_t, 5>& values, const std::string& name) {
    std::vector<uint8_t> row;
    for (uint32_t value : values) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            row.push_back(static_cast<uint8_t>(value >> shift));
        }
    }
    std::vector<uint8_t> field(64, 0);
    for (size_t i = 0; i < name.size() && i < field.size(); ++i) {
        field[i] = static_cast<uint8_t>(name[i]);
    }
    row.insert(row.end(), field.begin(), field.end());
    return row;
}

// A row of the old 80-byte layout: four values (no Shape), then the name field.
inline std::vector<uint8_t> oldLayoutRow(const std::array<uint32_t, 4>& values, const std::string& name) {
    std::vector<uint8_t> row = chunkRow({values[0], values[1], values[2], values[3], 0}, name);
    row.erase(row.begin() + 16, row.begin() + 20);
    return row;
}

inline std::vector<uint8_t> factoryBankBytes() {
    std::vector<uint8_t> bank;
    for (const FactoryProgram& program : factoryPrograms) {
        const std::vector<uint8_t> row = chunkRow(program.values, program.name);
        bank.insert(bank.end(), row.begin(), row.end());
    }
    return bank;
}
