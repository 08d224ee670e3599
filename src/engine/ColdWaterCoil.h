// The chilled water cooling coil (kind "cwc").
#pragma once

#include "engine/LiquidCoil.h"

#include <string>

namespace zmk {

/// Chilled water cooling coil (kind "cwc"): dry, wet or part-wet surface.
class TColdWaterCoil : public TLiquidCoil
{
public:
    TColdWaterCoil(const std::string& makerName, int tubeIndex, const std::string& model);
    /// The coil of a definition record, no size text read and no catalogue looked up.
    explicit TColdWaterCoil(const TModelRec& rec);
    std::unique_ptr<TLiquidCoil> Clone() const override;
    /// Project-file form: finds or creates `cwc` under the root (reading also takes `chilledwatercoil`).
    void LoadFromXML(TXMLFile& file, TXMLFile::Node root) override;
    void SaveToXML(TXMLFile& file, TXMLFile::Node root) override;
    void PrepareDesign(double duty) override;

    /// Dry-surface model: sensible cooling; sets tsAirOut and ADP (entering dew point). The
    /// leaving air is a partial state (PartialAirStateHW): the solve puts it on the coil line.
    TSolveStatus DryModel();
    /// Wet-surface model on the enthalpy potential; sets tsAirIn, tsAirOut and ADP, and the
    /// leaving air as a partial state.
    TSolveStatus WetModel();

protected:
    TSolveStatus SolveModel() override;
    TStepScheme StepScheme() const override;
    void StepSlice(TStepSlice& slice, const char* where) override;
};

} // namespace zmk
