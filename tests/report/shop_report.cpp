#include "tests/report/shop_report.h"

#include "report/qr_expr.h"
#include "report/qr_group.h"
#include "report/qr_label.h"
#include "tests/database/sqlite_fixture.h"

namespace quillon::testing {

namespace {

TQRExpr& AddExpr(TQRCustomBand& band, const std::string& expression, int left, int width = 0) {
    TQRExpr& expr = band.Insert(std::make_unique<TQRExpr>(band.Owner()));
    expr.SetExpression(expression);
    if (width > 0) {
        // Amounts: right-aligned in a column of their own.
        expr.SetAutoSize(false);
        expr.SetAlignment(TAlignment::taRightJustify);
        expr.SetBounds({left, 0, width, 20});
        expr.SetMask("0.00");
    } else {
        expr.SetLeft(left);
    }
    return expr;
}

std::vector<std::string> Split(const std::string& row) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t bar = row.find('|'); bar != std::string::npos; bar = row.find('|', start)) {
        parts.push_back(row.substr(start, bar - start));
        start = bar + 1;
    }
    parts.push_back(row.substr(start));
    return parts;
}

}  // namespace

ShopReport::ShopReport(const std::string& file) : database(file) {
    customers.SetSQL("SELECT id, name FROM customers ORDER BY id");
    orders.SetSQL(
        "SELECT id, amount, placed FROM orders WHERE customer_id = :CUSTOMER ORDER BY id");
    customers.Open();
    orders.Open();

    TRozerEdedid& r = *report;
    r.SetReportTitle(kShopTitle);
    r.SetDataSet(&customers);
    // The orders' query takes the customer from the report's environment.
    r.Functions().AddFunction("CUSTOMER", "[Customers.id]");

    TQRBand& title = r.CreateStandardBand(TQRBandType::rbTitle);
    title.Insert(std::make_unique<TQRLabel>(&r)).SetCaption(kShopTitle);
    AddExpr(r.CreateStandardBand(TQRBandType::rbPageHeader), "'Page ' + PAGENUMBER", 0);

    orderLines = &r.Insert(std::make_unique<TQRSubDetail>(&r));
    orderLines->SetName("OrderLines");
    orderLines->SetDataSet(&orders);
    orderLines->SetPrintIfEmpty(false);
    AddExpr(*orderLines, "STR([Orders.id]) + ' ' + [Orders.placed]", 20);
    AddExpr(*orderLines, "[Orders.amount]", 400, 150);

    customerGroup = &r.Insert(std::make_unique<TQRGroup>(&r));
    customerGroup->SetName("CustomerGroup");
    customerGroup->SetExpression("[Customers.id]");
    AddExpr(*customerGroup, "'Customer: ' + [Customers.name]", 0);
    TQRBand& footer = r.CreateStandardBand(TQRBandType::rbGroupFooter);
    customerGroup->SetFooterBand(&footer);
    AddExpr(footer, "'Total ' + [Customers.name]", 20);
    TQRExpr& total = AddExpr(footer, "SUM([Orders.amount])", 400, 150);
    total.SetMaster(orderLines);
    total.SetResetAfterPrint(true);

    TQRBand& summary = r.CreateStandardBand(TQRBandType::rbSummary);
    AddExpr(summary, "'Grand total'", 0);
    AddExpr(summary, "SUM([Orders.amount])", 400, 150).SetMaster(orderLines);
}

std::vector<std::vector<std::string>> ExpectedShopLines(const std::string& file) {
    std::vector<std::vector<std::string>> lines{{kShopTitle}};
    const std::vector<std::string> orders = QueryRows(
        file,
        "SELECT c.name, o.id || ' ' || o.placed, printf('%.2f', o.amount) FROM customers c "
        "JOIN orders o ON o.customer_id = c.id ORDER BY c.id, o.id");
    const std::vector<std::string> totals =
        QueryRows(file,
                  "SELECT c.name, printf('%.2f', SUM(o.amount)) FROM customers c JOIN orders o "
                  "ON o.customer_id = c.id GROUP BY c.id ORDER BY c.id");
    std::size_t next = 0;
    for (const std::string& row : totals) {
        const std::vector<std::string> customer = Split(row);
        lines.push_back({"Customer: " + customer[0]});
        for (; next < orders.size(); ++next) {
            const std::vector<std::string> order = Split(orders[next]);
            if (order[0] != customer[0]) break;
            lines.push_back({order[1], order[2]});
        }
        lines.push_back({"Total " + customer[0], customer[1]});
    }
    lines.push_back(
        {"Grand total", QueryRows(file, "SELECT printf('%.2f', SUM(amount)) FROM orders")[0]});
    return lines;
}

}  // namespace quillon::testing
