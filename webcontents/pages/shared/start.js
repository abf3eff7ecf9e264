// Loaded last, when every section has registered. The page's shell names its model; a script
// file rather than an inline one keeps the pages' policy free of inline script.
ZephPage.start(document.documentElement.getAttribute('data-model'));
