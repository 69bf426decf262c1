#include "tradeviews/views/register_query_views.h"

#include "tradeviews/views/account_views.h"
#include "tradeviews/views/history_views.h"
#include "tradeviews/views/option_views.h"
#include "tradeviews/views/statement_view.h"

namespace tradeviews {
namespace {

template <class View>
void Register(ui::ViewFactories& factories, const char* caption) {
  factories.SetQueryViewFactory(
      caption, [](QWidget* parent, const ui::ViewContext& context) { return MakeQueryView<View>(parent, context); });
}

}  // namespace

void RegisterQueryViews(ui::ViewFactories& factories) {
  Register<CTQReportQryView>(factories, "结算单");
  Register<CTQInOutMoneyQuery>(factories, "出入金");
  Register<CTQNoticeBoard>(factories, "公告板");
  Register<CAboutBoxView>(factories, "关于Quentara");
  Register<CTQCustStatusSet>(factories, "帐号状态设置");
  Register<CTQFundAllocate>(factories, "资金管理");
  Register<CTqOptionsExercise>(factories, "可放弃执行现货期权");
  Register<CTqOptionsExerciseApply>(factories, "可申请执行商品期权");
  Register<CTqOptionsExerciseOrders>(factories, "商品期权申请委托单");
}

}  // namespace tradeviews
