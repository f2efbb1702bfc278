#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <memory>

#include "shell/vantor_app.h"
#include "views/add_batch_dialog.h"

namespace vantor::gui {

// "Add Batch of Music": where the songs live and how they are named;
// "Start" asks for the files and adds them, listing what became of each.
class AddBatchWindow : public QDialog {
public:
    AddBatchWindow(CVantorApp& app, QWidget* parent);

    CAddBatchDialog& Dialog() { return *m_dialog; }
    // Adds the files as "Start" would after the file dialog.
    BatchAddOutcome AddFiles(const std::vector<std::string>& files);
    QListWidget* Results() const { return m_results; }
    QRadioButton* Archive() const { return m_archive; }
    QLineEdit* ArchiveName() const { return m_archiveName; }

private:
    void Push();
    void Show(const BatchAddOutcome& outcome);

    std::unique_ptr<CAddBatchDialog> m_dialog;
    QRadioButton* m_local;
    QRadioButton* m_archive;
    QCheckBox* m_volumeLabel;
    QLineEdit* m_archiveName;
    QLineEdit* m_waveDirectory;
    QCheckBox* m_fillFromFileName;
    QListWidget* m_results;
};

}  // namespace vantor::gui
