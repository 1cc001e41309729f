#pragma once

#include <cstdint>
#include <vector>

// The real factory bank: the whole fixture file, and its 100 dumps split at every F7.
std::vector<uint8_t> LoadFactoryBankFile();
std::vector<std::vector<uint8_t>> LoadFactoryBank();

// The names of the factory patches 0 to 99, as the instrument shows them.
extern const char* const kFactoryNames[100];
