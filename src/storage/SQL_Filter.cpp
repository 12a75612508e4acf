#include "storage/SQL_Filter.h"

#include <algorithm>

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/UpdateScope.h"

namespace storage {

namespace {

template <typename T>
void AddUnique(std::vector<T>& list, const T& value)
{
    if (std::find(list.begin(), list.end(), value) == list.end()) list.push_back(value);
}

// "(" + item(0) + separator + item(1) ... + ")".
template <typename List, typename ItemText>
std::string Clause(const List& list, const char* separator, ItemText itemText)
{
    std::string text = "(";
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i > 0) text += separator;
        text += itemText(list[i]);
    }
    return text + ")";
}

} // namespace

void TSQLFilter::AddExclusion(std::int32_t value) { AddUnique(excluded_, value); }

void TSQLFilter::AddInclusion(std::int32_t value) { AddUnique(included_, value); }

void TSQLFilter::ClearInclusions() { included_.clear(); }

void TSQLFilter::AddOrder(const std::string& field) { AddUnique(orderFields_, field); }

void TSQLFilter::ClearOrder() { orderFields_.clear(); }

void TSQLFilter::AddCondition(const std::string& condition) { AddUnique(conditions_, condition); }

void TSQLFilter::RemoveCondition(const std::string& condition)
{
    const auto it = std::find(conditions_.begin(), conditions_.end(), condition);
    if (it != conditions_.end()) conditions_.erase(it);
}

std::string TSQLFilter::ExclusionsText() const
{
    return Clause(excluded_, " AND",
                  [this](std::int32_t v) { return rtl::Format(" %s <> %d", ExcludeField, v); });
}

std::string TSQLFilter::InclusionsText() const
{
    return Clause(included_, " OR",
                  [this](std::int32_t v) { return rtl::Format(" %s = %d", IncludeField, v); });
}

std::string TSQLFilter::ConditionsText() const
{
    return Clause(conditions_, " AND", [](const std::string& c) { return " (" + c + ")"; });
}

std::string TSQLFilter::OrderText() const
{
    std::string text;
    for (std::size_t i = 0; i < orderFields_.size(); ++i) {
        if (i > 0) text += ", ";
        text += orderFields_[i];
    }
    return text;
}

void TSQLFilter::Build(rtl::TStrings& list) const
{
    if (BaseSQL.empty()) return;
    const rtl::TUpdateScope update(list);
    list.Clear();
    list.Add(BaseSQL);
    list.Add("");
    if (!WhereWord.empty()) {
        list.Add(WhereWord);
        bool clauseAdded = false;
        if (!conditions_.empty()) {
            list.Add(ConditionsText());
            clauseAdded = true;
        }
        if (!ExcludeField.empty() && !excluded_.empty()) {
            list.Add((clauseAdded ? "AND" : "") + ExclusionsText());
            clauseAdded = true;
        }
        if (!IncludeField.empty() && !included_.empty())
            list.Add((clauseAdded ? "AND" : "") + InclusionsText());
        if (!orderFields_.empty()) {
            list.Add("ORDER BY");
            list.Add(OrderText());
            if (SortOrder == 0) list.Add("ASC");
            else if (SortOrder == 1) list.Add("DESC");
        }
    }
}

std::string TSQLFilter::GetSQLText() const
{
    rtl::TStringList lines;
    Build(lines);
    return lines.GetText();
}

} // namespace storage
