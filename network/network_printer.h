#pragma once
// Network printer search object. This first cut only keeps the section it was configured
// from; discovery comes with the network printer search.
#include <string>

class CNetworkPrinter {
public:
    virtual ~CNetworkPrinter() = default;
    bool ReadInfo(const std::string& section) { section_ = section; return true; }
    const std::string& Section() const { return section_; }

private:
    std::string section_;
};
