// The in-memory dataset's cursor, and how parameters take expression values.

#include <gtest/gtest.h>

#include <charconv>
#include <string>
#include <vector>

#include "expr/format_settings.h"
#include "expr/memory_dataset.h"
#include "expr/value.h"

namespace quillon {
namespace {

TEST(MemoryDataset, CursorStepsBothWaysAndReadsEmptyAtTheEnd) {
    TQRMemoryDataset data("Data");
    data.AddField("n", ftInteger);
    data.AddField("s", ftString);
    for (int i = 1; i <= 3; ++i) data.AppendRecord({i, "r" + std::to_string(i)});
    EXPECT_TRUE(data.Active());
    EXPECT_EQ(data.RecordCount(), 3);

    data.Prior();  // on the first record: stays
    EXPECT_EQ(data.FieldInteger(0), 1);
    data.Next();
    data.Next();
    EXPECT_EQ(data.FieldText(1), "r3");
    data.Next();
    EXPECT_TRUE(data.Eof());
    EXPECT_EQ(data.FieldInteger(0), 0);
    EXPECT_EQ(data.FieldText(1), "");
    data.Prior();  // from the end to the last record
    EXPECT_FALSE(data.Eof());
    EXPECT_EQ(data.FieldInteger(0), 3);

    data.Close();
    EXPECT_FALSE(data.Active());
    data.Open();
    EXPECT_TRUE(data.Active());
    EXPECT_EQ(data.FieldInteger(0), 1);
    EXPECT_EQ(data.ParamCount(), 0);
    EXPECT_THROW(data.SetParamInteger(0, 1), EDatabaseError);
}

// A dataset whose parameters write down what they were given.
class ParamLog : public TQRMemoryDataset {
public:
    explicit ParamLog(TQRFieldType type) : TQRMemoryDataset("Log"), type_(type) {}
    int ParamCount() const override { return 1; }
    std::string_view ParamName(int) const override { return "P"; }
    TQRFieldType ParamType(int) const override { return type_; }
    void SetParamNull(int) override { log = "null"; }
    void SetParamInteger(int, std::int64_t v) override { log = "int " + std::to_string(v); }
    void SetParamFloat(int, double v) override {
        char text[32];
        log = "float " + std::string(text, std::to_chars(text, text + sizeof text, v).ptr);
    }
    void SetParamText(int, std::string_view t) override { log = "text " + std::string(t); }
    void SetParamBoolean(int, bool v) override { log = v ? "bool 1" : "bool 0"; }
    std::string log;

private:
    TQRFieldType type_;
};

TEST(MemoryDataset, ParametersTakeValuesConvertedToTheirType) {
    TQRFormatSettings settings;
    settings.decimalSeparator = ',';
    SetFormatSettings(settings);
    struct Case {
        TQRFieldType type;
        TQRValue value;
        const char* expected;  // nullptr: refused
    };
    const Case cases[] = {
        {ftString, TQRValue::Integer(42), "text 42"},
        {ftString, TQRValue::Float(2.5), "text 2,5"},
        {ftDate, TQRValue::String("2024-05-01"), "text 2024-05-01"},
        {ftString, TQRValue::Boolean(true), "text True"},
        {ftInteger, TQRValue::Integer(-7), "int -7"},
        {ftInteger, TQRValue::Float(2.5), "int 2"},
        {ftInteger, TQRValue::Float(3.5), "int 4"},
        {ftSmallint, TQRValue::String(" 12 "), "int 12"},
        {ftWord, TQRValue::Boolean(true), "int 1"},
        {ftInteger, TQRValue::String("12abc"), nullptr},
        {ftFloat, TQRValue::Integer(3), "float 3"},
        {ftCurrency, TQRValue::String("1,25"), "float 1.25"},
        {ftFloat, TQRValue::String("x"), nullptr},
        {ftBoolean, TQRValue::String("false"), "bool 0"},
        {ftBoolean, TQRValue::Integer(5), "bool 1"},
        {ftBoolean, TQRValue::String("yes"), nullptr},
        {ftUnknown, TQRValue::Integer(9), "int 9"},
        {ftUnknown, TQRValue::Float(0.5), "float 0.5"},
        {ftUnknown, TQRValue::String("abc"), "text abc"},
        {ftUnknown, TQRValue::Boolean(false), "bool 0"},
        {ftString, TQRValue::Error("Missing ]"), nullptr},
    };
    for (const Case& c : cases) {
        ParamLog log(c.type);
        SCOPED_TRACE(std::to_string(static_cast<int>(c.type)) + " " + std::string(c.value.Text()));
        if (c.expected == nullptr) {
            try {
                SetParamFromValue(log, 0, c.value);
                ADD_FAILURE() << "accepted, gave " << log.log;
            } catch (const EDatabaseError& error) {
                EXPECT_NE(std::string(error.what()).find("Log: parameter P: "), std::string::npos)
                    << error.what();
            }
        } else {
            SetParamFromValue(log, 0, c.value);
            EXPECT_EQ(log.log, c.expected);
        }
    }
    SetFormatSettings(TQRFormatSettings{});
}

}  // namespace
}  // namespace quillon
