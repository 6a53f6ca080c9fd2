#include "core/maintenance/number_record.h"

#include <charconv>
#include <string_view>

namespace velmora::core::maintenance {

void numberRecord(engine::dao::Recordset& rs, int field, int number) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    if (rs.field(field).text() == std::string_view(digits, static_cast<size_t>(end - digits)))
        return;
    rs.edit();
    rs.field(field).setNumber(number);
    rs.update();
}

}  // namespace velmora::core::maintenance
