#include "device/RegisterFields.h"

#include "device/RegisterCodecs.h"

namespace zvx {

namespace {

using Kind = RegisterField::Kind;

void flags(std::vector<RegisterField>& out, int value, int count, const std::string_view* captions)
{
    for (int i = 0; i < count; ++i)
        out.push_back({std::string(captions[i]), Kind::Flag, isBitSet(value, i) ? 1 : 0, ""});
}

void flag(std::vector<RegisterField>& out, std::string name, bool set)
{
    out.push_back({std::move(name), Kind::Flag, set ? 1 : 0, ""});
}

void number(std::vector<RegisterField>& out, std::string name, int value, std::string shown)
{
    out.push_back({std::move(name), Kind::Number, value, std::move(shown)});
}

void state(std::vector<RegisterField>& out, std::string name, bool on)
{
    out.push_back({std::move(name), Kind::State, on ? 1 : 0, on ? "locked" : "unlocked"});
}

} // namespace

std::vector<RegisterField> registerFields(int reg, int value, int fdBk1)
{
    std::vector<RegisterField> out;
    switch (reg) {
    case reg::InputCntl:
        flags(out, value, int(kInputCntlCaptions.size()), kInputCntlCaptions.data());
        break;
    case reg::LoopCntl: {
        const int psd = kPsdRatios[static_cast<std::size_t>(decodePsdIndex(value))];
        number(out, "PSD", psd, std::to_string(psd));
        number(out, "PFD", decodePfd(value), plainHex(decodePfd(value)));
        break;
    }
    case reg::FdBk0: {
        // Register 3 holds divider bits 11..8 in its low four bits; the
        // upper four are not part of the divider.
        const int n = feedbackDivider(value, getBitField(3, 0, fdBk1));
        number(out, "divider", n, std::to_string(n));
        number(out, "Total Pixels/Line", horizTotalFromDivider(n), std::to_string(horizTotalFromDivider(n)));
        break;
    }
    case reg::DPAoffset:
        number(out, "DPA offset", decodeDpaOffset(value), showHexByte(decodeDpaOffset(value)));
        flag(out, "Int-Filter", decodeFilterSelect(value));
        break;
    case reg::DPAcntl: {
        const auto option = decodeDpaOption(value);
        if (option)
            number(out, "DPA", kDpaResolutions[static_cast<std::size_t>(*option)],
                   std::string(kDpaCaptions[static_cast<std::size_t>(*option)]));
        else
            out.push_back({"DPA", Kind::Number, std::nullopt, "(code " + std::to_string(value & 0x03) + ")"});
        break;
    }
    case reg::OutputCntl: {
        flags(out, value, int(kOutputCntlCaptions.size()), kOutputCntlCaptions.data());
        const int ratio = kOutSclRatios[static_cast<std::size_t>(decodeOutSclOption(value, false))];
        number(out, "Out_Scl", ratio, std::to_string(ratio));
        break;
    }
    case reg::OscDiv:
        number(out, "Osc Div", decodeOscDivShown(value), std::to_string(decodeOscDivShown(value)));
        flag(out, "In-Sel", decodeInputSelect(value));
        break;
    case reg::Reset:
        if ((value & 0xFF) == kPllResetByte)
            number(out, "reset", value, "PLL");
        else if ((value & 0xFF) == kDpaResetByte)
            number(out, "reset", value, "DPA");
        else if ((value & 0xFF) == kBothResetByte)
            number(out, "reset", value, "Both");
        break;
    case reg::ChipVer:
        number(out, "version", value, plainHex(value));
        break;
    case reg::LockStatus:
        state(out, "PLL", isPllLockedBit(value));
        state(out, "DPA", isDpaLockedBit(value));
        break;
    default:
        break;
    }
    return out;
}

std::string describeFields(const std::vector<RegisterField>& fields)
{
    std::string text;
    std::string flagRun;   // the set flags of the current run of flags
    bool inFlags = false;
    auto part = [&](const std::string& p) {
        if (!p.empty())
            text += (text.empty() ? "" : ", ") + p;
    };
    auto endFlags = [&] {
        if (inFlags)
            part(flagRun.empty() && text.empty() ? std::string("-") : flagRun);
        flagRun.clear();
        inFlags = false;
    };
    for (const RegisterField& f : fields) {
        if (f.kind == Kind::Flag) {
            inFlags = true;
            if (f.value.value_or(0))
                flagRun += (flagRun.empty() ? "" : " ") + f.name;
            continue;
        }
        endFlags();
        part(f.name + " " + f.shown);
    }
    endFlags();
    return text;
}

} // namespace zvx
