#include "FactoryBank.h"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

std::vector<uint8_t> LoadFactoryBankFile() {
    std::ifstream in(std::string(TAVREN_DATA_DIR) + "/factory-bank-0.syx", std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open the factory bank in " TAVREN_DATA_DIR);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::vector<uint8_t>> LoadFactoryBank() {
    std::vector<std::vector<uint8_t>> dumps(1);
    for (uint8_t byte : LoadFactoryBankFile()) {
        dumps.back().push_back(byte);
        if (byte == 0xF7)
            dumps.emplace_back();
    }
    dumps.pop_back();
    return dumps;
}

const std::map<int, std::string> kFactoryNames = {
    {0, "Organ I"},       {1, "Classical Brass"},  {7, "Mini Lead"},   {14, "Perc EPiano"},
    {35, "Dinkity-Dink"}, {39, "Screamin' Memes"}, {64, "Dog's Bark"}, {69, "Gonzoid SteelDr"},
    {71, "B.D.I.'s"},     {72, "R.F.M."},          {98, "Ooops!"},     {99, "Alien"}};
