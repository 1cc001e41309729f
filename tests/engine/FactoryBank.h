#pragma once

#include <cstdint>
#include <vector>

// The real factory bank: 100 dumps as the instrument sent them, split at every F7.
std::vector<std::vector<uint8_t>> LoadFactoryBank();

// The whole fixture file as it lies on disk.
std::vector<uint8_t> LoadFactoryBankFile();
