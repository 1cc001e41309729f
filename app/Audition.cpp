#include "app/Audition.h"

#include "engine/ParameterTable.h"
#include "midi/MidiMessages.h"

#include <algorithm>

std::vector<Bytes> AuditionMessages(const std::function<std::optional<int>(int id)>& panelValue) {
    std::vector<Bytes> messages;
    for (const ParameterRow& row : ParameterTable()) {
        // The bank buttons (1200 to 1203) are no controllers: they choose the list.
        if (row.id < 0 || row.id > 0x7F)
            continue;
        const std::optional<int> value = panelValue(row.id);
        if (!value)
            continue;
        const int data = std::clamp(row.toMidi ? row.toMidi(nullptr, *value) : *value, 0, 0x7F);
        messages.push_back(
            {kControlChangeChannel1, static_cast<uint8_t>(row.id), static_cast<uint8_t>(data)});
    }
    return messages;
}
