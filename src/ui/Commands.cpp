#include "ui/Commands.h"

#include <QCoreApplication>
#include <map>

namespace volcatra {

namespace {

// The command strings: prompt, a line break, tooltip.
const std::map<uint32_t, const char*>& CommandStrings() {
    static const std::map<uint32_t, const char*> strings = {
        {57600, QT_TRANSLATE_NOOP("Commands", "新規にファイルを作成\n新規ファイル")},
        {57601, QT_TRANSLATE_NOOP("Commands", "既存のファイルを開く\n開く")},
        {57602, QT_TRANSLATE_NOOP("Commands", "作業中のファイルを閉じる\n閉じる")},
        {57603, QT_TRANSLATE_NOOP("Commands", "作業中のファイルを上書きして保存\n保存")},
        {57604, QT_TRANSLATE_NOOP("Commands", "作業中のファイルを新しい名前で保存\n名前をつけて保存")},
        {57616, QT_TRANSLATE_NOOP("Commands", "指定のファイルを開く")},
        {57617, QT_TRANSLATE_NOOP("Commands", "指定のファイルを開く")},
        {57618, QT_TRANSLATE_NOOP("Commands", "指定のファイルを開く")},
        {57619, QT_TRANSLATE_NOOP("Commands", "指定のファイルを開く")},
        {57665, QT_TRANSLATE_NOOP("Commands", "アプリケーションを終了し、ファイルの保存を指示\n終了")},
        {59393, QT_TRANSLATE_NOOP("Commands", "ステータス バーの表示/非表示を切り替え\nステータス バーの表示切り替え")},
        {57653, QT_TRANSLATE_NOOP("Commands", "作業中のウィンドウを分割\n分割")},
        {57648,
         QT_TRANSLATE_NOOP("Commands", "作業中のドキュメントが表示された新しいウィンドウを表示\n新規ウィンドウ")},
        {59409, QT_TRANSLATE_NOOP("Commands", "オブジェクトを大きいアイコンで表示します。\n大きいアイコン")},
        {59408, QT_TRANSLATE_NOOP("Commands", "オブジェクトを小さいアイコンで表示します。\n小さいアイコン")},
        {59410, QT_TRANSLATE_NOOP("Commands", "オブジェクトを一覧表示します。\n一覧")},
        {59411, QT_TRANSLATE_NOOP("Commands", "ウィンドウ内の各オブジェクトの詳細情報を表示します。\n詳細")},
        {32780, QT_TRANSLATE_NOOP("Commands", "表示されている内容を名前順に並べ替え\n名前順")},
        {32781, QT_TRANSLATE_NOOP("Commands", "表示されている内容をフォルダ順に並べ替え\nフォルダ順")},
        {32783, QT_TRANSLATE_NOOP("Commands", "表示されている内容を種類順に並べ替え\n種類順")},
        {32782, QT_TRANSLATE_NOOP("Commands", "表示されている内容をサイズ順に並べ替え\nサイズ順")},
        {32784, QT_TRANSLATE_NOOP("Commands", "表示されている内容を日付順に並べ替え\n日付順")},
        {32785, QT_TRANSLATE_NOOP("Commands", "表示されている内容を記録ファイル順に並べ替え\n記録ファイル順")},
        {32775, QT_TRANSLATE_NOOP("Commands", "1つ上のフォルダへ移動\n1つ上のフォルダへ")},
        {32776, QT_TRANSLATE_NOOP("Commands", "記録してあるボリュームのプロパティを表示\nプロパティ")},
        {32778, QT_TRANSLATE_NOOP("Commands", "オプションを設定・変更\nオプション")},
        {32791, QT_TRANSLATE_NOOP("Commands", "新規にファイルを作成しディレクトリ内容を読み取り\n新規読み取り")},
        {32792, QT_TRANSLATE_NOOP("Commands", "ディレクトリ内容を読み取り作業中のファイルに追加\n追加読み取り")},
        {57643, QT_TRANSLATE_NOOP("Commands", "直前に行った動作を元に戻す\n元に戻す")},
        {57644, QT_TRANSLATE_NOOP("Commands", "取り消した操作をやり直す\nやり直す")},
        {57635, QT_TRANSLATE_NOOP("Commands", "選択範囲を切り取ってクリップボードに保存\n切り取り")},
        {57634, QT_TRANSLATE_NOOP("Commands", "選択範囲をコピーしてクリップボードに保存\nコピー")},
        {57637, QT_TRANSLATE_NOOP("Commands", "クリップボードの内容を貼り付け\n貼り付け")},
        {32793, QT_TRANSLATE_NOOP("Commands", "名前をコピーしてクリップボードに保存\n名前をコピー")},
        {32816, QT_TRANSLATE_NOOP("Commands", "パスをコピーしてクリップボードに保存\nパスをコピー")},
        {32794, QT_TRANSLATE_NOOP("Commands", "ボリュームラベルの表示名を変更\n名前の変更")},
        {57636, QT_TRANSLATE_NOOP("Commands", "作業中のファイル内から指定されたファイル名を検索\n検索")},
        {32777, QT_TRANSLATE_NOOP("Commands", "複数のファイル内から指定されたファイル名を検索\nファイルから検索")},
        {32810, QT_TRANSLATE_NOOP("Commands", "選択しているファイルの実体を探す\n実体を探す")},
        {32811, QT_TRANSLATE_NOOP("Commands", "選択しているファイルの実体を探しエクスプローラで表示\nエクスプローラ")},
        {32812, QT_TRANSLATE_NOOP("Commands", "選択しているファイルの記録を開く\n記録を開く")},
        {32797, QT_TRANSLATE_NOOP("Commands", "指定した条件で検索を開始\n検索開始")},
        {32798, QT_TRANSLATE_NOOP("Commands", "実行中の検索を停止\n検索停止")},
        {32799, QT_TRANSLATE_NOOP("Commands", "検索条件をクリアして新しい条件を設定\n新しい条件")},
        {32800, QT_TRANSLATE_NOOP("Commands", "探す場所を参照\n参照")},
        {32804, QT_TRANSLATE_NOOP("Commands", "検索画面を閉じる\n閉じる")},
        {32805, QT_TRANSLATE_NOOP("Commands", "探す場所にサブフォルダも含めます。\nサブフォルダも含める")},
        {57664, QT_TRANSLATE_NOOP("Commands", "プログラム情報、バージョン、著作権を表示します。\nバージョン情報")},
    };
    return strings;
}

}  // namespace

CommandText GetCommandText(uint32_t id) {
    const auto& strings = CommandStrings();
    const auto it = strings.find(id);
    if (it == strings.end()) return {};
    const QString text = QCoreApplication::translate("Commands", it->second);
    const qsizetype newline = text.indexOf(u'\n');
    if (newline < 0) return {text, QString()};
    return {text.left(newline), text.mid(newline + 1)};
}

}  // namespace volcatra
