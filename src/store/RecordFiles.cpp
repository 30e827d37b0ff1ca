#include "RecordFiles.h"

namespace {
quint8 bit(std::size_t i) {
    return static_cast<quint8>(1u << i);
}
} // namespace

void RecordFiles::save(File file) {
    const std::size_t i = index(file);
    if (!write(i)) {
        m_unsaved |= bit(i);
        return;
    }
    m_unsaved &= ~bit(i);
    // The storage takes writes again: the files whose last write failed follow.
    retryUnsaved();
}

void RecordFiles::retryUnsaved() {
    for (std::size_t i = 0; m_unsaved != 0 && i < kFiles; ++i) {
        if ((m_unsaved & bit(i)) && write(i))
            m_unsaved &= ~bit(i);
    }
}
