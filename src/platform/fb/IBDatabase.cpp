#include "platform/fb/IBDatabase.h"

#include <algorithm>

#include "platform/fb/FbClient.h"
#include "platform/fb/LockFolder.h"
#include "platform/fb/ParamBlock.h"

namespace fb {

namespace {

// An attach or create that failed says which folder it may not write, if that is why.
void CheckStart(const ISC_STATUS* status, const std::string& databaseName, bool creating)
{
    if (status[0] == 1 && status[1] != 0)
        RaiseError(status, DescribeUnwritableFolders(databaseName, creating));
}

} // namespace

// ---------------------------------------------------------------- TIBClientList

void TIBClientList::Add(TIBClient* client)
{
    if (std::find(clients_.begin(), clients_.end(), client) == clients_.end())
        clients_.push_back(client);
}

void TIBClientList::Remove(TIBClient* client)
{
    clients_.erase(std::remove(clients_.begin(), clients_.end(), client), clients_.end());
}

// ---------------------------------------------------------------- TIBDatabase

TIBDatabase::~TIBDatabase()
{
    try {
        Close();
    } catch (...) {
        // A destructor cannot report; the engine drops the attachment with the process.
    }
    clients_.Notify([this](TIBClient& client) { client.DatabaseFreed(this); });
}

void TIBDatabase::SetDefaultTransaction(TIBTransaction* transaction)
{
    defaultTransaction_ = transaction;
    if (transaction && !transaction->GetDefaultDatabase())
        transaction->SetDefaultDatabase(this);
}

void TIBDatabase::Open()
{
    if (handle_)
        return;
    if (DatabaseName.empty())
        throw rtl::EDatabaseError("Database name is missing");
    TParamBlock dpb;
    dpb.AddByte(isc_dpb_version1);
    for (const std::string& line : Params) {
        TParamLine p = ParseParamLine(line);
        if (p.Name.empty())
            continue;
        if (p.Name == "user_name")
            dpb.AddString1(isc_dpb_user_name, p.Value);
        else if (p.Name == "password")
            dpb.AddString1(isc_dpb_password, p.Value);
        else if (p.Name == "lc_ctype")
            dpb.AddString1(isc_dpb_lc_ctype, p.Value);
        else if (p.Name == "sql_role_name")
            dpb.AddString1(isc_dpb_sql_role_name, p.Value);
        else
            throw rtl::EDatabaseError("Unknown database parameter " + line);
    }
    dpb.AddInt1(isc_dpb_sql_dialect, static_cast<std::uint32_t>(SQLDialect));

    const TFbApi& api = Api();
    ISC_STATUS_ARRAY status;
    isc_db_handle handle = 0;
    api.isc_attach_database(status, 0, DatabaseName.c_str(), &handle, dpb.Size(), dpb.Data());
    CheckStart(status, DatabaseName, false);
    handle_ = handle;
}

void TIBDatabase::Close()
{
    if (!handle_)
        return;
    clients_.Notify([](TIBClient& client) { client.DatabaseClosing(); });
    ISC_STATUS_ARRAY status;
    Api().isc_detach_database(status, &handle_);
    Check(status);
    handle_ = 0;
}

void TIBDatabase::CreateDatabase(const std::string& createStatement)
{
    if (handle_)
        throw rtl::EDatabaseError("Database is connected already");
    ISC_STATUS_ARRAY status;
    isc_db_handle handle = 0;
    isc_tr_handle transaction = 0;
    Api().isc_dsql_execute_immediate(status, &handle, &transaction, 0, createStatement.c_str(),
                                     static_cast<unsigned short>(SQLDialect), nullptr);
    CheckStart(status, DatabaseName, true);
    handle_ = handle;
}

isc_db_handle* TIBDatabase::Handle()
{
    if (!handle_)
        throw rtl::EDatabaseError("Database not connected");
    return &handle_;
}

void TIBDatabase::AddClient(TIBClient* client) { clients_.Add(client); }

void TIBDatabase::RemoveClient(TIBClient* client) { clients_.Remove(client); }

// ------------------------------------------------------------- TIBTransaction

TIBTransaction::~TIBTransaction()
{
    try {
        if (handle_)
            EndByDefaultAction();
    } catch (...) {
        // Nothing to report to from a destructor; the engine rolls it back at detach.
    }
    clients_.Notify([this](TIBClient& client) { client.TransactionFreed(this); });
    if (database_) {
        if (database_->defaultTransaction_ == this)
            database_->defaultTransaction_ = nullptr;
        database_->RemoveClient(this);
    }
}

void TIBTransaction::SetDefaultDatabase(TIBDatabase* database)
{
    if (database == database_)
        return;
    if (handle_)
        throw rtl::EDatabaseError("Cannot change the database of an active transaction");
    if (database_)
        database_->RemoveClient(this);
    database_ = database;
    if (database_)
        database_->AddClient(this);
}

void TIBTransaction::StartTransaction()
{
    if (handle_)
        throw rtl::EDatabaseError("Transaction is active");
    if (!database_)
        throw rtl::EDatabaseError("Transaction has no database");
    TParamBlock tpb;
    tpb.AddByte(isc_tpb_version3);
    for (const std::string& line : Params) {
        TParamLine p = ParseParamLine(line);
        if (p.Name.empty())
            continue;
        // clang-format off
        static const struct { const char* name; std::uint8_t tag; } kItems[] = {
            {"read_committed", isc_tpb_read_committed}, {"rec_version", isc_tpb_rec_version},
            {"no_rec_version", isc_tpb_no_rec_version}, {"nowait", isc_tpb_nowait},
            {"wait", isc_tpb_wait}, {"concurrency", isc_tpb_concurrency},
            {"consistency", isc_tpb_consistency}, {"read", isc_tpb_read}, {"write", isc_tpb_write},
        };
        // clang-format on
        auto it = std::find_if(std::begin(kItems), std::end(kItems),
                               [&](const auto& item) { return p.Name == item.name; });
        if (it == std::end(kItems))
            throw rtl::EDatabaseError("Unknown transaction parameter " + line);
        tpb.AddByte(it->tag);
    }
    ISC_STATUS_ARRAY status;
    isc_tr_handle handle = 0;
    Api().isc_start_transaction(status, &handle, 1, database_->Handle(),
                                static_cast<unsigned short>(tpb.Size()), tpb.Data());
    Check(status);
    handle_ = handle;
}

void TIBTransaction::StartIfNeeded()
{
    if (!handle_)
        StartTransaction();
}

void TIBTransaction::NotifyEnding()
{
    clients_.Notify([](TIBClient& client) { client.TransactionEnding(); });
}

void TIBTransaction::Commit()
{
    ISC_STATUS_ARRAY status;
    isc_tr_handle* h = Handle();
    NotifyEnding();
    Api().isc_commit_transaction(status, h);
    Check(status);
    handle_ = 0;
}

void TIBTransaction::CommitRetaining()
{
    ISC_STATUS_ARRAY status;
    Api().isc_commit_retaining(status, Handle());
    Check(status);
}

void TIBTransaction::Rollback()
{
    ISC_STATUS_ARRAY status;
    isc_tr_handle* h = Handle();
    NotifyEnding();
    Api().isc_rollback_transaction(status, h);
    Check(status);
    handle_ = 0;
}

void TIBTransaction::RollbackRetaining()
{
    ISC_STATUS_ARRAY status;
    Api().isc_rollback_retaining(status, Handle());
    Check(status);
}

isc_tr_handle* TIBTransaction::Handle()
{
    if (!handle_)
        throw rtl::EDatabaseError("Transaction not active");
    return &handle_;
}

void TIBTransaction::AddClient(TIBClient* client) { clients_.Add(client); }

void TIBTransaction::RemoveClient(TIBClient* client) { clients_.Remove(client); }

void TIBTransaction::EndByDefaultAction()
{
    if (DefaultAction == TTransactionAction::TACommit || DefaultAction == TTransactionAction::TACommitRetaining)
        Commit();
    else
        Rollback();
}

void TIBTransaction::DatabaseClosing()
{
    if (handle_)
        EndByDefaultAction();
}

void TIBTransaction::DatabaseFreed(TIBDatabase* database)
{
    if (database == database_) {
        handle_ = 0; // the engine ended it with the attachment
        database_ = nullptr;
    }
}

} // namespace fb
