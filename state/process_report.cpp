#include "humitrax/process_report.h"

#include <array>

namespace humitrax {

std::optional<ProcessKind> ProcessKindFromName(std::string_view name) noexcept
{
    struct Named {
        std::string_view name;
        ProcessKind kind;
    };
    static constexpr std::array<Named, 5> kKinds{{{"mix", ProcessKind::Mix},
                                                 {"heat", ProcessKind::Heat},
                                                 {"cool", ProcessKind::Cool},
                                                 {"coil", ProcessKind::Coil},
                                                 {"humidify", ProcessKind::Humidify}}};
    for (const Named& named : kKinds) {
        if (named.name == name)
            return named.kind;
    }
    return std::nullopt;
}

std::vector<NamedState> ProcessStates(ProcessKind kind, const ProcessResult& result)
{
    if (kind == ProcessKind::Mix) {
        return {{"first", "First", "first stream", &result.entering, result.enteringDryAirFlow},
                {"second", "Second", "second stream", &result.second, result.secondDryAirFlow},
                {"mixed", "Mixed", "mixed air", &result.leaving, result.dryAirFlow}};
    }
    return {{"entering", "Entering", "entering air", &result.entering, result.enteringDryAirFlow},
            {"leaving", "Leaving", "leaving air", &result.leaving, result.dryAirFlow}};
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
        loads.push_back({"apparatus_dew_point", "Apparatus dew point", r.apparatusDewPoint, temperature});
        loads.push_back({"bypass_factor", "Bypass factor", r.bypassFactor, "1"});
    }
    return loads;
}

std::string ProcessFailures(ProcessKind kind, const ProcessResult& result, Units units)
{
    std::string status;
    for (const NamedState& part : ProcessStates(kind, result)) {
        ForEachFailure(*part.state, units, kAllProperties, [&](Property property, std::string_view reason) {
            if (!status.empty())
                status.append("; ");
            status.append(part.key).append(": ").append(PropertyColumn(property)).append(": ").append(reason);
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
        ForEachFailure(*part->state, units, kAllProperties, [&](Property property, std::string_view reason) {
            details.append(details.empty() ? " (" : "; ").append(PropertyColumn(property)).append(" ").append(reason);
        });
        if (!details.empty())
            text.append(details).append(")");
    }
    return text;
}

} // namespace humitrax
