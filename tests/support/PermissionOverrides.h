#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// Root passes every permission check; while this lives, the thread that made it meets files'
// and folders' modes as anyone would. The permitted set keeps the capabilities, so they can be
// raised again.
class WithoutPermissionOverrides {
public:
    WithoutPermissionOverrides() {
        if (::geteuid() != 0 || ::syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &=
            ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
        m_dropped = ::syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~WithoutPermissionOverrides() { restore(); }
    WithoutPermissionOverrides(const WithoutPermissionOverrides&) = delete;
    WithoutPermissionOverrides& operator=(const WithoutPermissionOverrides&) = delete;

    void restore() {
        if (m_dropped)
            ::syscall(SYS_capset, &m_header, m_saved);
        m_dropped = false;
    }
    bool effective() const { return ::geteuid() != 0 || m_dropped; }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_dropped = false;
};
