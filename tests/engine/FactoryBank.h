#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The real factory bank: the whole fixture file, and its 100 dumps split at every F7.
std::vector<uint8_t> LoadFactoryBankFile();
std::vector<std::vector<uint8_t>> LoadFactoryBank();

// Names of factory patches by program, as the instrument shows them.
extern const std::map<int, std::string> kFactoryNames;
