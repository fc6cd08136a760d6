#include "humitrax/process_report.h"

#include <array>

namespace humitrax {

std::string_view ProcessKindName(ProcessKind kind) noexcept
{
    switch (kind) {
    case ProcessKind::Mix: return "mix";
    case ProcessKind::Heat: return "heat";
    case ProcessKind::Cool: return "cool";
    case ProcessKind::Coil: return "coil";
    case ProcessKind::Humidify: return "humidify";
    }
    return "";
}

std::optional<ProcessKind> ProcessKindFromName(std::string_view name) noexcept
{
    for (ProcessKind kind : kProcessKinds) {
        if (ProcessKindName(kind) == name)
            return kind;
    }
    return std::nullopt;
}

std::string_view ProcessKindTitle(ProcessKind kind) noexcept
{
    switch (kind) {
    case ProcessKind::Mix: return "Mixing of two streams";
    case ProcessKind::Heat: return "Sensible heating";
    case ProcessKind::Cool: return "Sensible cooling";
    case ProcessKind::Coil: return "Cooling and dehumidifying coil";
    case ProcessKind::Humidify: return "Humidifying";
    }
    return "";
}

std::span<const ProcessPartName> ProcessParts(ProcessKind kind) noexcept
{
    static constexpr std::array<ProcessPartName, 3> kMixParts{{{"first", "First", "first stream"},
                                                               {"second", "Second", "second stream"},
                                                               {"mixed", "Mixed", "mixed air"}}};
    static constexpr std::array<ProcessPartName, 2> kParts{{{"entering", "Entering", "entering air"},
                                                            {"leaving", "Leaving", "leaving air"}}};
    if (kind == ProcessKind::Mix)
        return kMixParts;
    return kParts;
}

std::vector<NamedState> ProcessStates(ProcessKind kind, const ProcessResult& result)
{
    const std::span<const ProcessPartName> parts = ProcessParts(kind);
    if (kind == ProcessKind::Mix) {
        return {{parts[0], &result.entering, result.enteringDryAirFlow},
                {parts[1], &result.second, result.secondDryAirFlow},
                {parts[2], &result.leaving, result.dryAirFlow}};
    }
    return {{parts[0], &result.entering, result.enteringDryAirFlow}, {parts[1], &result.leaving, result.dryAirFlow}};
}

std::vector<NamedLoad> ProcessLoads(ProcessKind kind, const ProcessResult& r, Units units)
{
    const bool si = units == Units::SI;
    const std::string_view energy = EnergyFlowUnit(units);
    const std::string_view temperature = PropertyUnit(Property::DryBulb, units);
    std::vector<NamedLoad> loads;
    if (kind == ProcessKind::Mix)
        return loads;
    loads.push_back({"heat", "Heat", r.heat, energy});
    loads.push_back({"sensible_heat", "Sensible heat", r.sensible, energy});
    loads.push_back({"latent_heat", "Latent heat", r.latent, energy});
    if (kind != ProcessKind::Humidify)
        loads.push_back({"sensible_heat_ratio", "Sensible heat ratio", r.sensibleHeatRatio, "1"});
    if (!si && (kind == ProcessKind::Cool || kind == ProcessKind::Coil))
        loads.push_back({"tons", "Refrigeration", r.tons, "ton"});
    if (kind == ProcessKind::Coil || kind == ProcessKind::Humidify) {
        loads.push_back({"water", "Water", r.water, MassFlowUnit(units)});
        loads.push_back({"water_temperature", "Water temperature", r.waterTemperature, temperature});
        loads.push_back({"water_enthalpy", "Water enthalpy", r.waterEnthalpy, PropertyUnit(Property::Enthalpy, units)});
    }
    if (kind == ProcessKind::Coil) {
        loads.push_back({kApparatusDewPointKey, "Apparatus dew point", r.apparatusDewPoint, temperature});
        loads.push_back({"bypass_factor", "Bypass factor", r.bypassFactor, "1"});
    }
    return loads;
}

std::string ProcessFailures(ProcessKind kind, const ProcessResult& result, Units units)
{
    std::string status;
    for (const NamedState& part : ProcessStates(kind, result)) {
        ForEachFailure(*part.state, units, kAllProperties, [&](std::string_view column, std::string_view reason) {
            if (!status.empty())
                status.append("; ");
            status.append(part.key).append(": ").append(column).append(part.state->refusedWith ? " " : ": ");
            status.append(reason);
        });
    }
    return status;
}

std::string ProcessRefusal(ProcessKind kind, const ProcessResult& result, Units units)
{
    const std::vector<NamedState> parts = ProcessStates(kind, result);
    const NamedState* part = nullptr;
    switch (result.refusedPart) {
    case ProcessPart::Process: break;
    case ProcessPart::Entering: part = &parts.front(); break;
    case ProcessPart::Second: part = &parts[1]; break;
    case ProcessPart::Leaving: part = &parts.back(); break;
    }
    std::string text = "refused";
    if (part)
        text.append(" (").append(part->words).append(")");
    text.append(": ").append(result.refusal);
    if (part && (result.refusal == kMissingProperty || !part->state->refusal.empty())) {
        std::string details;
        ForEachFailure(*part->state, units, kAllProperties, [&](std::string_view column, std::string_view reason) {
            details.append(details.empty() ? " (" : "; ").append(column).append(" ").append(reason);
        });
        if (!details.empty())
            text.append(details).append(")");
    }
    return text;
}

} // namespace humitrax
