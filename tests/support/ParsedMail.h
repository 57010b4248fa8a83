#pragma once

#include "support/ServerProcess.h"
#include "support/TempDir.h"
#include "transfer/TextLines.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace tidecast::test
{

// A message as Python's standard email package sees it: runs tests/support/servers/parse_mail.py on the
// bytes and keeps its flat JSON answer (string keys, string values).
class ParsedMail
{
public:
    static ParsedMail parse(const std::string& message)
    {
        TempDir dir;
        const std::filesystem::path file = dir / "message.eml";
        std::ofstream(file, std::ios::binary) << message;
        const std::filesystem::path script = serverScript("parse_mail.py");
        const std::string command = "/usr/bin/python3 '" + script.string() + "' '" + file.string() + "'";
        ParsedMail parsed;
        parsed.m_values = parseFlatJson(commandOutput(command));
        return parsed;
    }

    bool ok() const { return !m_values.empty(); }
    bool has(const std::string& key) const { return m_values.count(key) != 0; }
    std::string operator[](const std::string& key) const
    {
        const auto it = m_values.find(key);
        return it == m_values.end() ? std::string("<missing " + key + ">") : it->second;
    }
    // The decoded body of a leaf part ("p.0.1").
    std::string body(const std::string& part) const { return fromHex((*this)[part + ".body_hex"]); }

private:
    static std::string fromHex(const std::string& hex)
    {
        std::string out;
        for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
            out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
        }
        return out;
    }

    // Reads {"key": "value", ...} as written by json.dump with ensure_ascii.
    static std::map<std::string, std::string> parseFlatJson(const std::string& text)
    {
        std::map<std::string, std::string> values;
        std::size_t i = 0;
        auto readString = [&]() {
            std::string out;
            ++i; // opening quote
            while (i < text.size() && text[i] != '"') {
                if (text[i] != '\\') {
                    out += text[i++];
                    continue;
                }
                const char escape = text[i + 1];
                i += 2;
                switch (escape) {
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u': {
                    unsigned code = static_cast<unsigned>(std::stoul(text.substr(i, 4), nullptr, 16));
                    i += 4;
                    if (code >= 0xD800 && code < 0xDC00 && text.compare(i, 2, "\\u") == 0) {
                        const auto low = static_cast<unsigned>(std::stoul(text.substr(i + 2, 4), nullptr, 16));
                        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                        i += 6;
                    }
                    transfer::appendUtf8(out, code);
                    break;
                }
                default:
                    out += escape;
                }
            }
            ++i; // closing quote
            return out;
        };
        while (i < text.size()) {
            if (text[i] != '"') {
                ++i;
                continue;
            }
            std::string key = readString();
            while (i < text.size() && text[i] != '"') {
                ++i;
            }
            values[key] = readString();
        }
        return values;
    }

    std::map<std::string, std::string> m_values;
};

} // namespace tidecast::test
