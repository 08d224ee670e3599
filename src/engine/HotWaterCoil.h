// The hot water heating coil (kind "hwc").
#pragma once

#include "engine/LiquidCoil.h"

namespace zmk {

/// Hot water heating coil (kind "hwc"): a dry coil in which the liquid is always cooled.
class THotWaterCoil : public TLiquidCoil
{
public:
    THotWaterCoil(const std::string& makerName, int tubeIndex, const std::string& model);
    /// The coil of a definition record, no size text read and no catalogue looked up.
    explicit THotWaterCoil(const TModelRec& rec);
    std::unique_ptr<TLiquidCoil> Clone() const override;
    /// Project-file form: finds or creates `hwc` under the root (reading also takes `hotwatercoil`).
    void LoadFromXML(TXMLFile& file, TXMLFile::Node root) override;
    void SaveToXML(TXMLFile& file, TXMLFile::Node root) override;
    void PrepareDesign(double duty) override;

protected:
    TSolveStatus SolveModel() override;
    TStepScheme StepScheme() const override;
    void StepSlice(TStepSlice& slice, const char* where) override;
};

} // namespace zmk
