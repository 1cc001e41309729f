#pragma once

#include <cstddef>
#include <cstdint>

// CRC-32 as in zip and PNG: reflected polynomial 0xEDB88320, initial value
// 0xFFFFFFFF, final complement.
uint32_t Crc32(const void* data, size_t size);
