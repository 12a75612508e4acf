#pragma once
// A database connection and a transaction over the Firebird client interface.
#include <ibase.h>

#include <string>
#include <vector>

#include "platform/rtl/Exception.h"

namespace fb {

class TIBDatabase;
class TIBTransaction;

// Statements and transactions hear of the end of what they run on, so they drop
// handles that the engine no longer knows.
class TIBClient {
public:
    virtual ~TIBClient() = default;
    // The connection is about to close: release engine handles that belong to it.
    virtual void DatabaseClosing() {}
    // The transaction is about to end (commit or rollback, not the retaining forms).
    virtual void TransactionEnding() {}
    // The object is being destroyed: forget every pointer to it.
    virtual void DatabaseFreed(TIBDatabase*) {}
    virtual void TransactionFreed(TIBTransaction*) {}
};

// The clients of a connection or transaction, each listed once.
class TIBClientList {
public:
    void Add(TIBClient* client);
    void Remove(TIBClient* client);
    // Tells every client listed now; a client may leave the list while it is told.
    template <typename Notice>
    void Notify(Notice notice) const
    {
        for (TIBClient* client : std::vector<TIBClient*>(clients_)) notice(*client);
    }

private:
    std::vector<TIBClient*> clients_;
};

// clang-format off
enum class TTransactionAction { TARollback, TACommit, TARollbackRetaining, TACommitRetaining };
// clang-format on

// A connection. Params lines: "user_name=...", "password=...", "lc_ctype=...",
// "sql_role_name=..." (an "isc_dpb_" prefix is accepted). Engine failures raise EIBError.
class TIBDatabase {
public:
    TIBDatabase() = default;
    ~TIBDatabase();
    TIBDatabase(const TIBDatabase&) = delete;
    TIBDatabase& operator=(const TIBDatabase&) = delete;

    std::string DatabaseName;
    std::vector<std::string> Params;
    int SQLDialect = 3;
    bool LoginPrompt = false; // there is no prompt; kept for the component's settings

    void SetDefaultTransaction(TIBTransaction* transaction);
    TIBTransaction* GetDefaultTransaction() const { return defaultTransaction_; }

    // Attaches to DatabaseName; nothing when connected already.
    void Open();
    // Ends the transactions on it with their default action, releases statements, detaches.
    void Close();
    bool GetConnected() const { return handle_ != 0; }
    // Runs a CREATE DATABASE statement; the new database is then this connection.
    void CreateDatabase(const std::string& createStatement);

    // EDatabaseError "Database not connected" when closed.
    isc_db_handle* Handle();

    void AddClient(TIBClient* client);
    void RemoveClient(TIBClient* client);

private:
    friend class TIBTransaction;
    isc_db_handle handle_ = 0;
    TIBTransaction* defaultTransaction_ = nullptr;
    TIBClientList clients_;
};

// A transaction on one database. Params lines: "read_committed", "rec_version",
// "no_rec_version", "nowait", "wait", "concurrency", "consistency", "read", "write".
class TIBTransaction : private TIBClient {
public:
    TIBTransaction() = default;
    ~TIBTransaction() override;
    TIBTransaction(const TIBTransaction&) = delete;
    TIBTransaction& operator=(const TIBTransaction&) = delete;

    std::vector<std::string> Params;
    // What ends a transaction still open when the connection closes: the commit forms
    // commit, the rollback forms roll back.
    TTransactionAction DefaultAction = TTransactionAction::TACommit;

    void SetDefaultDatabase(TIBDatabase* database);
    TIBDatabase* GetDefaultDatabase() const { return database_; }

    void StartTransaction();
    // Starts it when it is not running (statements call this before they run).
    void StartIfNeeded();
    void Commit();
    void CommitRetaining();
    void Rollback();
    void RollbackRetaining();
    bool GetInTransaction() const { return handle_ != 0; }

    // EDatabaseError "Transaction not active" when none runs.
    isc_tr_handle* Handle();

    void AddClient(TIBClient* client);
    void RemoveClient(TIBClient* client);

private:
    void DatabaseClosing() override;
    void DatabaseFreed(TIBDatabase* database) override;
    void EndByDefaultAction();
    void NotifyEnding();

    TIBDatabase* database_ = nullptr;
    isc_tr_handle handle_ = 0;
    TIBClientList clients_;
};

} // namespace fb
