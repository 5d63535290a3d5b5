#pragma once
// The switches a product's data file sets in section OPTION (or its best variant).
#include "config/log_sink.h"

#include <cstdint>

class CSetupProfile;

class COptions {
public:
    // Reads every key from the best variant of OPTION, then from OPTION, and logs each value.
    // `os_class` is the OS class code: RIGHT_ALIGN stays off on Windows 95 and NT 3/4.
    bool ReadOptions(const CSetupProfile& data, int os_class, ILogSink& log);

    bool UsbOnly() const { return usb_only_; }
    bool Network() const { return network_; }
    bool Wireless() const { return wireless_; }
    bool RemoteInstall() const { return remote_install_; }
    void SetRemoteInstall(bool on) { remote_install_ = on; }
    bool DeviceInstall() const { return device_install_; }
    bool ShowInstError() const { return show_inst_error_; }
    bool RightAlign() const { return right_align_; }
    bool PrecreateDlg() const { return precreate_dlg_; }
    bool MainOnly() const { return main_only_; }
    bool SetSourcePathOption() const { return set_source_path_; }
    bool UsePublicOid() const { return use_public_oid_; }
    bool UseIpx() const { return use_ipx_; }
    bool StopFirewall() const { return stop_firewall_; }
    bool Agfa() const { return agfa_; }
    bool AgfaGiven() const { return agfa_given_; }
    // An item with a PCL driver turns it on when the configuration did not say.
    void SetAgfa(bool on) { agfa_ = on; }
    bool MaintenanceOn() const { return maintenance_on_; }
    uint32_t CommunitySize() const { return community_size_; }

private:
    bool usb_only_ = false;
    bool network_ = false;
    bool wireless_ = false;
    bool remote_install_ = false;
    bool device_install_ = true;
    bool show_inst_error_ = false;
    bool right_align_ = false;
    bool precreate_dlg_ = true;
    bool main_only_ = false;
    bool set_source_path_ = false;
    bool use_public_oid_ = false;
    bool use_ipx_ = false;
    bool stop_firewall_ = false;
    bool agfa_ = false;
    bool agfa_given_ = false;
    bool maintenance_on_ = true;
    uint32_t community_size_ = 14;
};
