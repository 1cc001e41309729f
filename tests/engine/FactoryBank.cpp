#include "FactoryBank.h"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

std::vector<uint8_t> LoadFactoryBankFile() {
    const std::string path = std::string(TAVREN_FIXTURES_DIR) + "/factory-bank-0.syx";
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open " + path);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::vector<uint8_t>> LoadFactoryBank() {
    std::vector<std::vector<uint8_t>> dumps;
    std::vector<uint8_t> current;
    for (uint8_t byte : LoadFactoryBankFile()) {
        current.push_back(byte);
        if (byte == 0xF7) {
            dumps.push_back(current);
            current.clear();
        }
    }
    return dumps;
}
