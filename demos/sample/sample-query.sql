Select c.company_name, o.order_id, o.order_date, p.product_name, l.quantity, l.unit_price
From customers c
  Inner Join orders o On o.customer_id = c.customer_id
  Inner Join order_lines l On l.order_id = o.order_id
  Inner Join products p On p.product_id = l.product_id
Where c.country = 'Germany'
Order By o.order_date, o.order_id
