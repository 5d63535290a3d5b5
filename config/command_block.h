#pragma once
// The command block: a command type ("CT_...") and Param1 to Param5. Every field is a
// 16 384-byte buffer in the product, so each text is cut to 16 383 bytes when stored.
#include <cstddef>
#include <string>

constexpr size_t kCommandFieldBuffer = 16384;

struct CommandBlock {
    std::string type;
    std::string param[5];  // param[0] is Param1

    static std::string Fit(const std::string& text)
    {
        return text.size() < kCommandFieldBuffer ? text : text.substr(0, kCommandFieldBuffer - 1);
    }

    void Clear()
    {
        type.clear();
        for (auto& p : param) p.clear();
    }

    // Missing parameters stay empty.
    void Set(const std::string& command_type, const std::string& p1 = std::string(),
             const std::string& p2 = std::string(), const std::string& p3 = std::string(),
             const std::string& p4 = std::string(), const std::string& p5 = std::string())
    {
        type = Fit(command_type);
        param[0] = Fit(p1);
        param[1] = Fit(p2);
        param[2] = Fit(p3);
        param[3] = Fit(p4);
        param[4] = Fit(p5);
    }

    // 1-based, as the configuration names them (CMD_PARAM1 ...); out of range gives "".
    const std::string& Param(int n) const
    {
        static const std::string empty;
        return (n >= 1 && n <= 5) ? param[n - 1] : empty;
    }
    void SetParam(int n, const std::string& text)
    {
        if (n >= 1 && n <= 5) param[n - 1] = Fit(text);
    }
};
