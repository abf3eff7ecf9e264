#pragma once

class QListWidget;

// Keyboard use of the lists whose rows are widgets (QListWidget::setItemWidget).

// Puts the controls of the row widgets into the tab order right after the list, row by row.
// Row widgets are made after the dialog around them, so by default Tab would reach them only
// after the dialog's OK and Cancel. Call again whenever the rows are made anew; a list whose
// rows are added in batches calls it for each batch with the batch's first row, and the batch
// follows the rows before it.
void qovOrderRowFocus(QListWidget *list, int fromRow = 0);

// While the list has the keyboard, its current row widget carries the dynamic property
// "keyboard-current" (true), which the style sheet frames: the row widget covers the item, so
// the list's own focus frame would never be seen. Space on the list clicks the current row's
// first check box or radio button, so that the arrows and Space choose rows. A row whose
// control takes the focus is scrolled into view. An empty list is no Tab stop: nothing in it
// could show the focus; a list that has the focus when its last row goes passes it on.
void qovEnableRowKeys(QListWidget *list);
