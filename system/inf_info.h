#pragma once
// Reads a driver INF through the SetupAPI: its [Version] Class, the manufacturer, the models
// section actually used, the model (driver) name and index, and whether the model's install
// section builds on the system's universal printer driver (Include=ntprint.inf plus Needs).
// Windows tree only (the implementation calls setupapi); the header itself is Win32-free.
#include "config/log_sink.h"

#include <cstddef>
#include <string>

class CInfInfo {
public:
    // Every text field is read into a buffer of this many bytes (NUL included): a longer
    // value counts as not readable.
    static constexpr size_t kTextSize = 260;

    explicit CInfInfo(ILogSink& log);

    // Texts empty, universal-driver flag off, index 0. Callers reset before each Init.
    void Reset();

    // Reads the INF. model_index and model_name are what the caller knows about the model;
    // either may be 0/empty. Without a name the model is line model_index of the models
    // section; with a name, the first line whose description equals it ignoring case.
    // False for an empty path, an unreadable class, or (Printer and Image only) a missing
    // manufacturer, models section or model. A class other than Printer and Image gives true
    // with only Class() filled.
    bool Init(const std::string& inf_path, int model_index = 0, const std::string& model_name = std::string());

    // The [Version] Class of the INF into buffer (size bytes, NUL included). False when the
    // INF cannot be opened (logged "SetupOpenInfFile(%s)" with the system error), has no
    // Class, or the value and its terminator do not fit.
    bool GetClass(const std::string& inf_path, char* buffer, size_t size);
    // The same with a kTextSize buffer.
    bool GetClass(const std::string& inf_path, std::string& class_name);

    // Fields.
    const std::string& Class() const { return class_; }
    const std::string& DriverName() const { return driver_name_; }
    const std::string& Manufacturer() const { return manufacturer_; }
    const std::string& ModelsSection() const { return models_section_; }
    bool UniDrv() const { return uni_drv_; }
    int DriverIndex() const { return driver_index_; }

private:
    // The steps of Init on an open INF (an HINF).
    bool GetInfo(void* inf, int model_index, const std::string& model_name);
    bool CheckDriverNameAndIndex(void* inf, const std::string& section, int index, const std::string& name);
    bool CheckUniDrv(void* inf);

    ILogSink& log_;
    std::string class_;
    std::string driver_name_;
    std::string manufacturer_;
    std::string models_section_;
    bool uni_drv_ = false;
    int driver_index_ = 0;
};
