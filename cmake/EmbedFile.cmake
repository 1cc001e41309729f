# cmake -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=name -P EmbedFile.cmake
# Writes a C++ source that holds the bytes of INPUT as `const uint8_t SYMBOL[]` and
# its length as `const std::size_t SYMBOLSize`, so that the program carries the file.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
get_filename_component(name "${INPUT}" NAME)
file(WRITE "${OUTPUT}.tmp"
"// Generated at build time from ${name}; not to be edited.
#include <cstddef>
#include <cstdint>

extern const uint8_t ${SYMBOL}[];
extern const std::size_t ${SYMBOL}Size;

const uint8_t ${SYMBOL}[] = {
    ${bytes}
};
const std::size_t ${SYMBOL}Size = ${size};
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
